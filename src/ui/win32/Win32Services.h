#pragma once
// The screen cursor and the application services of the Win32 front end.

#include <windows.h>

#include "app/Controls.h"

namespace cdflash::win32 {

// Hourglass (IDC_WAIT) or arrow (IDC_ARROW). While the hourglass is on, the
// window answers WM_SETCURSOR with it, so moving the mouse keeps it.
class Win32Cursor final : public ICursor {
 public:
  void SetHourglass() override;
  void SetDefault() override;
  bool Hourglass() const { return hourglass_; }

 private:
  bool hourglass_ = false;
};

// Posts the quit request with PostQuitMessage, or hands it to `forward` when
// one is given (tests), and remembers that it was posted.
class Win32Application final : public IApplication {
 public:
  explicit Win32Application(IApplication* forward = nullptr) : forward_(forward) {}
  void PostQuit(int exitCode) override;
  bool QuitPosted() const { return quitPosted_; }

 private:
  IApplication* forward_;
  bool quitPosted_ = false;
};

}  // namespace cdflash::win32
