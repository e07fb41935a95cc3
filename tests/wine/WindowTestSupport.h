#pragma once
// Helpers for tests of the real Win32 window under Wine: message pumping,
// geometry in client coordinates, a thread that answers message boxes, and
// recording fakes of the application service.

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/Controls.h"
#include "app/FormHandlers.h"
#include "ui/win32/FlashWindow.h"

namespace cdflash::win32::test {

// Dispatches the thread's pending messages; keeps doing so for `ms` milliseconds.
void PumpMessages(DWORD ms = 0);

// A child window's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child);
// The client area's width and height.
SIZE ClientSize(HWND window);

// A top-level window of this process with the given class (and title, unless null).
HWND FindOwnWindow(const char* className, const char* title = nullptr);

// The text and buttons of a standard message box.
struct BoxSeen {
  std::string title;
  std::string text;
  bool hasOk = false;
  bool hasYes = false;
  bool hasNo = false;
  int defaultButton = 0;  // the button Enter presses
  HICON icon = nullptr;
  RECT rect{};
};

// Watches, from a thread of its own, for message boxes of this process with
// the given title, records each and presses `button` on it, up to `count`
// boxes. `onBox` runs on the watching thread while the box is up.
class BoxAnswerer {
 public:
  BoxAnswerer(std::string title, int button, int count = 1,
              std::function<void(HWND box)> onBox = nullptr);
  ~BoxAnswerer();
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;

  // Waits until `count` boxes have been answered; false on timeout.
  bool WaitDone(DWORD timeoutMs = 10000);
  std::vector<BoxSeen> Seen();

 private:
  void Run();

  std::string title_;
  int button_;
  int count_;
  std::function<void(HWND)> onBox_;
  std::atomic<bool> stop_{false};
  std::atomic<int> answered_{0};
  std::mutex mutex_;
  std::vector<BoxSeen> seen_;
  std::thread thread_;
};

// Records quit requests instead of posting them, so the test thread's queue
// keeps no WM_QUIT for later tests.
class RecordingApplication final : public IApplication {
 public:
  void PostQuit(int exitCode) override { exitCodes.push_back(exitCode); }
  std::vector<int> exitCodes;
};

// A form that hands every event, with the window's controls and services,
// to `onEvent`.
using EventFunction = std::function<void(FormEvent, const FormControls&, const FormServices&)>;
inline FormFactory FormOfEvents(EventFunction onEvent) {
  return [onEvent = std::move(onEvent)](const FormControls& controls, const FormServices& services) {
    return std::make_unique<FormEventFunction>(
        [onEvent, controls, services](FormEvent event) { onEvent(event, controls, services); });
  };
}

// The real window, hidden, over a form of `onEvent` (none: a form that does
// nothing, leaving the controls as the window made them); quit requests go to
// `application` if given.
std::unique_ptr<FlashWindow> WindowOfEvents(EventFunction onEvent = nullptr, IApplication* application = nullptr);

}  // namespace cdflash::win32::test
