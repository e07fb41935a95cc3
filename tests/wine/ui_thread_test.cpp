// The Win32 UI-thread service: what a job posts and calls reaches the UI
// thread in the order it was sent, its `finished` comes after all of it, and
// closing the service lets a running job end and then runs nothing more.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "WindowTestSupport.h"
#include "ui/win32/Win32UiThread.h"

namespace cdflash::win32::test {
namespace {

// A message-only window that runs the service's queue, as the main window does.
class QueueWindow {
 public:
  QueueWindow() {
    static const ATOM registered = [] {
      WNDCLASSA windowClass{};
      windowClass.lpfnWndProc = &QueueWindow::Proc;
      windowClass.hInstance = GetModuleHandleA(nullptr);
      windowClass.lpszClassName = "cdflashQueueWindow";
      return RegisterClassA(&windowClass);
    }();
    (void)registered;
    hwnd_ = CreateWindowExA(0, "cdflashQueueWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    ui = std::make_unique<Win32UiThread>(hwnd_);
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(ui.get()));
  }
  ~QueueWindow() {
    ui.reset();
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  // Dispatches messages until `done` or 10 s have passed.
  static void PumpUntil(const bool& done) {
    for (const DWORD start = GetTickCount(); !done && GetTickCount() - start < 10000;) PumpMessages(5);
  }

  std::unique_ptr<Win32UiThread> ui;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* ui = reinterpret_cast<Win32UiThread*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (message == Win32UiThread::kMessage && ui != nullptr) {
      ui->RunQueued();
      return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  HWND hwnd_ = nullptr;
};

TEST(UiThread, PostsAndCallsOfAJobArriveInOrderOnTheUiThreadAndFinishedComesLast) {
  QueueWindow window;
  Win32UiThread& ui = *window.ui;
  const DWORD uiThread = GetCurrentThreadId();
  std::vector<int> seen;  // the UI thread's
  bool elsewhere = false;
  std::vector<int> answers;  // the worker's
  bool finished = false;
  ui.RunInBackground(
      [&] {
        for (int i = 0; i < 60; ++i) {
          ui.Post([&, i] {
            seen.push_back(i);
            elsewhere = elsewhere || GetCurrentThreadId() != uiThread;
          });
          if (i % 20 == 19) {  // a question after a burst of updates
            int answer = 0;
            ui.Call([&, i] {
              seen.push_back(-i);
              answer = i;
            });
            answers.push_back(answer);
          }
        }
      },
      [&] {
        seen.push_back(1000);
        finished = true;
      });
  QueueWindow::PumpUntil(finished);

  std::vector<int> expected;
  for (int i = 0; i < 60; ++i) {
    expected.push_back(i);
    if (i % 20 == 19) expected.push_back(-i);
  }
  expected.push_back(1000);
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(answers, (std::vector<int>{19, 39, 59}));  // each call returned after its task ran
  EXPECT_FALSE(elsewhere);
}

TEST(UiThread, ClosingLetsTheJobEndAnsweringItsCallsAndThenRunsNothing) {
  QueueWindow window;
  Win32UiThread& ui = *window.ui;
  std::vector<std::string> seen;
  ui.RunInBackground(
      [&] {
        Sleep(100);
        ui.Post([&] { seen.push_back("post"); });
        ui.Call([&] { seen.push_back("call"); });
      },
      [&] { seen.push_back("finished"); });
  ui.Close();  // as the window's WM_DESTROY does, while the job still runs
  EXPECT_EQ(seen, (std::vector<std::string>{"post", "call", "finished"}));

  ui.Post([&] { seen.push_back("late post"); });
  ui.Call([&] { seen.push_back("late call"); });
  PumpMessages(50);
  EXPECT_EQ(seen.size(), 3u);
}

}  // namespace
}  // namespace cdflash::win32::test
