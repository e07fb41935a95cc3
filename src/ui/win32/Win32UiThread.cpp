#include "ui/win32/Win32UiThread.h"

#include <exception>
#include <memory>
#include <system_error>
#include <utility>

namespace cdflash::win32 {

Win32UiThread::Win32UiThread(HWND window) : window_(window), uiThread_(GetCurrentThreadId()) {}

Win32UiThread::~Win32UiThread() { Close(); }

void Win32UiThread::Post(std::function<void()> task) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return;
    queue_.push_back(std::move(task));
  }
  // One message per task: should a task throw, the messages still queued
  // run the tasks behind it.
  PostMessageA(window_, kMessage, 0, 0);
}

void Win32UiThread::Call(const std::function<void()>& task) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return;
  }
  if (OnUiThread()) {
    RunQueued();
    task();
    return;
  }
  bool done = false;
  std::exception_ptr error;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return;
    queue_.push_back([&] {
      try {
        task();
      } catch (...) {
        error = std::current_exception();
      }
      {
        const std::lock_guard<std::mutex> doneLock(mutex_);
        done = true;
      }
      callDone_.notify_all();
    });
  }
  // The handler runs the FIFO, this task included, before the send returns;
  // but a run of the FIFO already under way on the UI thread may have taken
  // it first, so the end of the task itself is waited for.
  SendMessageA(window_, kMessage, 0, 0);
  std::unique_lock<std::mutex> lock(mutex_);
  callDone_.wait(lock, [&] { return done || closed_; });
  lock.unlock();
  if (error) std::rethrow_exception(error);
}

void Win32UiThread::RunInBackground(std::function<void()> job, std::function<void()> finished) {
  if (worker_.joinable()) worker_.join();  // the previous job has ended: its finish was posted
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return;
  }
  // Shared, so that it is still here should the thread fail to start.
  const auto run = std::make_shared<std::function<void()>>(
      [this, job = std::move(job), finished = std::move(finished)]() mutable {
        job();
        Post(std::move(finished));
        running_ = false;
      });
  running_ = true;
  try {
    worker_ = std::thread([run] { (*run)(); });
  } catch (const std::system_error&) {
    (*run)();  // no thread to be had: the job runs here, the window waits for it
  }
}

void Win32UiThread::RunQueued() {
  for (;;) {
    std::function<void()> task;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      if (queue_.empty()) return;
      task = std::move(queue_.front());
      queue_.pop_front();
    }
    task();
  }
}

void Win32UiThread::WaitForJob() {
  bool quit = false;
  WPARAM exitCode = 0;
  while (running_) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        exitCode = msg.wParam;
        continue;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  if (quit) PostQuitMessage(static_cast<int>(exitCode));
}

void Win32UiThread::Close() {
  WaitForJob();
  if (worker_.joinable()) worker_.join();
  RunQueued();
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    queue_.clear();
  }
  callDone_.notify_all();
}

}  // namespace cdflash::win32
