#pragma once
// The dialogs service of the tests and benches: every box shown is recorded
// with its kind and text, and the Yes/No questions are answered from a
// script. A question the script does not answer ends the test, unless the
// dialogs are told to answer it Yes. The device layer's reports are shown as
// the window shows them.

#include <deque>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/Controls.h"
#include "device/DeviceMessages.h"

namespace cdflash::test {

struct ShownBox {
  std::string kind;  // "WarningYesNo", "WarningOk", "Error", "ConfirmYesNo" (", No by default"), "Message", "Exception"
  std::string text;
  bool operator==(const ShownBox&) const = default;
};
inline void PrintTo(const ShownBox& box, std::ostream* out) { *out << box.kind << ": " << box.text; }

class ScriptedDialogs : public IDialogs, public IDeviceReports {
 public:
  enum class Unscripted { Fail, Yes };
  explicit ScriptedDialogs(Unscripted unscripted = Unscripted::Fail) : unscripted_(unscripted) {}

  Answer WarningYesNo(const std::string& t) override { return Ask("WarningYesNo", t); }
  void WarningOk(const std::string& t) override { shown.push_back({"WarningOk", t}); }
  void Error(const std::string& t) override { shown.push_back({"Error", t}); }
  Answer ConfirmYesNo(const std::string& t) override { return Ask("ConfirmYesNo", t); }
  Answer ConfirmYesNoDefaultNo(const std::string& t) override { return Ask("ConfirmYesNo, No by default", t); }
  void Message(const std::string& t) override { shown.push_back({"Message", t}); }
  void Exception(const std::string& t) override { shown.push_back({"Exception", t}); }
  void DeviceMessage(const std::string& t) override { Message(t); }
  void DeviceError(const std::string& t) override { Error(t); }

  std::deque<Answer> answers;  // taken in order by the Yes/No boxes
  std::vector<ShownBox> shown;

 private:
  Answer Ask(const char* kind, const std::string& t) {
    shown.push_back({kind, t});
    if (answers.empty()) {
      if (unscripted_ == Unscripted::Yes) return Answer::Yes;
      throw std::logic_error(std::string("unscripted box: ") + kind);
    }
    const Answer a = answers.front();
    answers.pop_front();
    return a;
  }

  Unscripted unscripted_;
};

}  // namespace cdflash::test
