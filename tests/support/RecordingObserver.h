#pragma once
// An IFlashObserver that records what a run shows (captions, progress,
// boxes) and answers its questions from a script.

#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "flash/FlashObserver.h"

namespace cdflash::test {

class RecordingObserver final : public IFlashObserver {
 public:
  struct Box {
    std::string kind;  // "Confirm", "WarningYesNo", "Message", "WarningOk"
    std::string text;
    bool operator==(const Box&) const = default;
  };

  void ShowCaption(const std::string& c) override { captions.push_back(caption = c); }
  void Progress(long long done, long long total) override { maximum = total; position = done; }
  Answer Ask(QuestionKind kind, const std::string& text) override {
    boxes.push_back({kind == QuestionKind::Confirm || kind == QuestionKind::ConfirmRestart ? "Confirm" : "WarningYesNo", text});
    if (answers.empty()) throw std::logic_error("unscripted question: " + text);
    const Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  void Tell(NoticeKind kind, const std::string& text) override {
    boxes.push_back({kind == NoticeKind::Warning ? "WarningOk" : "Message", text});
  }
  void SetBusy(bool b) override { busy = b; }
  void DriveIdentityChanged(const std::string&) override {}

  // The texts of the plain messages, in order.
  std::vector<std::string> Messages() const {
    std::vector<std::string> out;
    for (const Box& b : boxes) {
      if (b.kind == "Message") out.push_back(b.text);
    }
    return out;
  }

  std::string caption;
  std::vector<std::string> captions;
  long long maximum = 100, position = 0;  // the last progress: done of total
  bool busy = false;
  std::vector<Box> boxes;
  std::deque<Answer> answers;  // taken in order by the questions
};

}  // namespace cdflash::test
