#pragma once
// The screen cursor and the application object, as the form uses them.

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "app/Controls.h"

class QObject;

namespace cdflash::qtui {

// The hourglass is a state, not a stack: setting it twice and restoring once
// gives the default cursor back.
class WaitCursor final : public ICursor {
 public:
  ~WaitCursor() override;
  void SetHourglass() override;
  void SetDefault() override;

 private:
  bool waiting_ = false;
};

// PostQuit queues the request, so the event loop ends as soon as it starts
// (a request made before the loop runs would otherwise be lost).
class ApplicationService final : public IApplication {
 public:
  void PostQuit(int exitCode) override;
  bool QuitPosted() const { return quitPosted_; }

 private:
  bool quitPosted_ = false;
};

// The UI thread of the Qt front end. A job runs on a thread of its own;
// what it posts or calls reaches the UI thread as queued invocations on one
// receiver, so posts and calls keep their order; a call blocks the worker
// until the UI thread has run it (a blocking-queued invocation).
class QtUiThread final : public IUiThread {
 public:
  QtUiThread();
  ~QtUiThread() override;  // waits for a job still running
  QtUiThread(const QtUiThread&) = delete;
  QtUiThread& operator=(const QtUiThread&) = delete;

  void Post(std::function<void()> task) override;
  void Call(const std::function<void()>& task) override;
  void RunInBackground(std::function<void()> job, std::function<void()> finished) override;

 private:
  std::unique_ptr<QObject> receiver_;  // lives on the UI thread
  std::thread worker_;
  std::atomic<bool> running_{false};
};

}  // namespace cdflash::qtui
