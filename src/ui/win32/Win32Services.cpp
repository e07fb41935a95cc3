#include "ui/win32/Win32Services.h"

namespace cdflash::win32 {

void Win32Cursor::SetHourglass() {
  hourglass_ = true;
  SetCursor(LoadCursor(nullptr, IDC_WAIT));
}

void Win32Cursor::SetDefault() {
  hourglass_ = false;
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

void Win32Application::PostQuit(int exitCode) {
  quitPosted_ = true;
  if (forward_ != nullptr) {
    forward_->PostQuit(exitCode);
  } else {
    PostQuitMessage(exitCode);
  }
}

}  // namespace cdflash::win32
