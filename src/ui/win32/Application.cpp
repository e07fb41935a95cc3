#include "ui/win32/Application.h"

#include <utility>

#include "app/AppTexts.h"

namespace cdflash::win32 {

int RunMessageLoop(FlashWindow* window) {
  MSG msg{};
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (window != nullptr && window->HandleDialogKey(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

int RunApplication(WindowOptions options) {
  Win32Dialogs dialogs;
  IDialogs& box = options.dialogs != nullptr ? *options.dialogs : dialogs;
  std::unique_ptr<FlashWindow> window;
  try {
    window = FlashWindow::Create(std::move(options));
  } catch (const std::exception& e) {
    box.Exception(ExceptionBoxText(e.what()));
    return 0;
  } catch (...) {
    box.Exception(ExceptionBoxText("Unknown error"));
    return 0;
  }
  // A start-up that posted the quit request never shows the window: the loop
  // then only carries out the close and the quit.
  if (!window->QuitPosted()) window->Show();
  RunMessageLoop(window.get());
  return 0;
}

}  // namespace cdflash::win32
