#pragma once
// Hands every call of a job running on a worker thread to an observer on
// the UI thread: updates are posted (the worker goes on), questions and
// messages are called (the worker waits for the user's answer). Posts and
// calls keep their order.

#include "app/Controls.h"
#include "flash/FlashObserver.h"

namespace cdflash {

class QueuedObserver final : public IFlashObserver {
 public:
  QueuedObserver(IFlashObserver& target, IUiThread& ui) : target_(target), ui_(ui) {}

  void ShowCaption(const std::string& caption) override {
    ui_.Post([this, caption] { target_.ShowCaption(caption); });
  }
  void Progress(long long done, long long total) override {
    ui_.Post([this, done, total] { target_.Progress(done, total); });
  }
  void SetBusy(bool busy) override {
    ui_.Post([this, busy] { target_.SetBusy(busy); });
  }
  void DriveIdentityChanged(const std::string& identity) override {
    ui_.Post([this, identity] { target_.DriveIdentityChanged(identity); });
  }
  Answer Ask(QuestionKind kind, const std::string& text) override {
    Answer answer = Answer::Closed;
    ui_.Call([&] { answer = target_.Ask(kind, text); });
    return answer;
  }
  void Tell(NoticeKind kind, const std::string& text) override {
    ui_.Call([&] { target_.Tell(kind, text); });
  }

 private:
  IFlashObserver& target_;
  IUiThread& ui_;
};

// The UI thread of a program without one of its own (tests with fakes): a
// job runs at once, on the calling thread, and so does everything it posts.
class InlineUiThread final : public IUiThread {
 public:
  void Post(std::function<void()> task) override { task(); }
  void Call(const std::function<void()>& task) override { task(); }
  void RunInBackground(std::function<void()> job, std::function<void()> finished) override {
    job();
    finished();
  }
};

}  // namespace cdflash
