// The program's run as WinMain runs it: exceptions in handlers are shown in
// the "Flash utility" box and the message loop goes on; an exception at
// start-up is shown and the window never appears; a start-up that asks to
// quit never shows the window either. Every run returns 0.

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "WindowTestSupport.h"
#include "ui/win32/Application.h"

namespace cdflash::win32::test {
namespace {

// Waits for the main window of this process to be on the screen.
HWND WaitForShownWindow(DWORD timeoutMs = 10000) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    HWND window = FindOwnWindow(FlashWindow::kClassName);
    if (window != nullptr && IsWindowVisible(window)) return window;
    Sleep(10);
  }
  return nullptr;
}

TEST(Application, AnExceptionInAHandlerIsShownAndTheLoopGoesOn) {
  std::vector<FormEvent> events;
  WindowOptions options;
  options.makeForm = FormOfEvents([&](FormEvent event, auto&, auto&) {
    events.push_back(event);
    if (event == FormEvent::FlashButtonClick) throw std::runtime_error("Drive not ready");
  });

  std::atomic<bool> enabledDuringBox{true};
  std::atomic<HWND> mainWindow{nullptr};
  BoxAnswerer answerer("Flash utility", IDOK, 2,
                       [&](HWND) { enabledDuringBox = IsWindowEnabled(mainWindow.load()) != FALSE; });
  std::atomic<bool> aliveAfterBoxes{false};
  std::thread user([&] {
    HWND window = WaitForShownWindow();
    if (window == nullptr) return;
    mainWindow = window;
    HWND button = FindWindowExA(window, nullptr, "Button", "FLASH");
    PostMessageA(button, BM_CLICK, 0, 0);
    // The second click can only be taken if the loop went on after the first box.
    while (answerer.Seen().size() < 1) Sleep(10);
    PostMessageA(button, BM_CLICK, 0, 0);
    answerer.WaitDone();
    Sleep(50);
    aliveAfterBoxes = IsWindow(window) && IsWindowVisible(window) && IsWindowEnabled(window);
    PostMessageA(window, WM_CLOSE, 0, 0);
  });
  const int result = RunApplication(std::move(options));
  user.join();

  EXPECT_EQ(result, 0);
  ASSERT_EQ(answerer.Seen().size(), 2u);
  for (const BoxSeen& box : answerer.Seen()) EXPECT_EQ(box.text, "Drive not ready.");
  EXPECT_FALSE(enabledDuringBox);
  EXPECT_TRUE(aliveAfterBoxes);
  EXPECT_EQ(events, (std::vector<FormEvent>{FormEvent::FormCreate, FormEvent::FlashButtonClick,
                                            FormEvent::FlashButtonClick, FormEvent::FormDestroy}));
  EXPECT_EQ(FindOwnWindow(FlashWindow::kClassName), nullptr);
}

TEST(Application, AnExceptionAtStartUpIsShownAndTheWindowNeverAppears) {
  std::vector<FormEvent> events;
  WindowOptions options;
  options.makeForm = FormOfEvents([&](FormEvent event, auto&, auto&) {
    events.push_back(event);
    if (event == FormEvent::FormCreate) throw std::runtime_error("Out of memory while starting");
  });
  std::atomic<bool> windowShownDuringBox{false};
  BoxAnswerer answerer("Flash utility", IDOK, 1, [&](HWND) {
    HWND window = FindOwnWindow(FlashWindow::kClassName);
    windowShownDuringBox = window != nullptr && IsWindowVisible(window);
  });

  EXPECT_EQ(RunApplication(std::move(options)), 0);
  ASSERT_EQ(answerer.Seen().size(), 1u);
  EXPECT_EQ(answerer.Seen()[0].text, "Out of memory while starting.");
  EXPECT_FALSE(windowShownDuringBox);
  EXPECT_EQ(FindOwnWindow(FlashWindow::kClassName), nullptr);
  // The form was created, so its destruction handler still ran.
  EXPECT_EQ(events, (std::vector<FormEvent>{FormEvent::FormCreate, FormEvent::FormDestroy}));
}

TEST(Application, AStartUpThatAsksToQuitNeverShowsTheWindow) {
  bool visibleAtDestroy = true;
  WindowOptions options;
  options.makeForm = FormOfEvents([&](FormEvent event, const FormControls& controls, const FormServices& services) {
    if (event == FormEvent::FormCreate) {
      services.application->PostQuit(0);
      controls.window->Close();
    } else if (event == FormEvent::FormDestroy) {
      HWND window = FindOwnWindow(FlashWindow::kClassName);
      visibleAtDestroy = window == nullptr || (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0;
    }
  });
  EXPECT_EQ(RunApplication(std::move(options)), 0);
  EXPECT_FALSE(visibleAtDestroy);
  EXPECT_EQ(FindOwnWindow(FlashWindow::kClassName), nullptr);
}

}  // namespace
}  // namespace cdflash::win32::test
