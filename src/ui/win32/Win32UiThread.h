#pragma once
// The UI thread of the Win32 front end. A job runs on a worker thread of its
// own; what it posts or calls goes into one FIFO of tasks, and a private
// message to the main window makes the UI thread run them, oldest first.
// Post posts that message and returns; Call sends it and waits. A sent
// message overtakes posted ones, so its handler runs the whole FIFO: an
// update posted before a question is always shown before it.

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "app/Controls.h"

namespace cdflash::win32 {

class Win32UiThread final : public IUiThread {
 public:
  // The private message; the window answers it with RunQueued().
  static constexpr UINT kMessage = WM_APP + 1;

  // Made on the UI thread, for `window`, a window of that thread.
  explicit Win32UiThread(HWND window);
  ~Win32UiThread() override;  // Close()
  Win32UiThread(const Win32UiThread&) = delete;
  Win32UiThread& operator=(const Win32UiThread&) = delete;

  void Post(std::function<void()> task) override;
  // On the UI thread itself: runs what was posted before, then `task`, at once.
  // An exception from `task` is thrown again to the caller.
  void Call(const std::function<void()>& task) override;
  void RunInBackground(std::function<void()> job, std::function<void()> finished) override;

  // The window's handler of kMessage: runs every queued task, oldest first.
  void RunQueued();

  // For the window's WM_DESTROY: lets a running job end while this thread's
  // messages are dispatched (its questions are still answered), runs what it
  // posted, its `finished` included, and from then on runs nothing: later
  // posts are dropped and calls return without running.
  void Close();

 private:
  bool OnUiThread() const { return GetCurrentThreadId() == uiThread_; }
  // Dispatches this thread's messages until the job has ended; a quit
  // request taken meanwhile is posted again afterwards.
  void WaitForJob();

  HWND window_;
  DWORD uiThread_;
  std::mutex mutex_;
  std::condition_variable callDone_;
  std::deque<std::function<void()>> queue_;
  bool closed_ = false;
  std::thread worker_;
  std::atomic<bool> running_{false};
};

}  // namespace cdflash::win32
