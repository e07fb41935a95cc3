#pragma once
// A dialogs service for tests: records every box it is asked to show and
// answers the Yes/No questions from a script (Yes when the script is empty).
// It also shows the device layer's reports, as the window does.

#include <deque>
#include <string>
#include <vector>

#include "app/Controls.h"
#include "device/DeviceMessages.h"

namespace cdflash::sim {

class RecordingDialogs final : public IDialogs, public IDeviceReports {
 public:
  struct Shown {
    std::string kind;  // "WarningYesNo", "WarningOk", "Error", "ConfirmYesNo", "Message", "Exception"
    std::string text;
    bool operator==(const Shown&) const = default;
  };

  std::vector<Shown> shown;
  std::deque<Answer> answers;

  Answer WarningYesNo(const std::string& text) override { return Ask("WarningYesNo", text); }
  void WarningOk(const std::string& text) override { shown.push_back({"WarningOk", text}); }
  void Error(const std::string& text) override { shown.push_back({"Error", text}); }
  Answer ConfirmYesNo(const std::string& text) override { return Ask("ConfirmYesNo", text); }
  Answer ConfirmYesNoDefaultNo(const std::string& text) override { return Ask("ConfirmYesNo", text); }
  void Message(const std::string& text) override { shown.push_back({"Message", text}); }
  void Exception(const std::string& text) override { shown.push_back({"Exception", text}); }
  void DeviceMessage(const std::string& text) override { Message(text); }
  void DeviceError(const std::string& text) override { Error(text); }

 private:
  Answer Ask(const char* kind, const std::string& text) {
    shown.push_back({kind, text});
    if (answers.empty()) return Answer::Yes;
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace cdflash::sim
