#pragma once
// The program's run from start to end, as WinMain runs it: create the main
// window (FormCreate runs inside), show it unless start-up asked to quit, run
// the message loop. Kept apart from WinMain so tests can run it whole.

#include "ui/win32/FlashWindow.h"

namespace cdflash::win32 {

// Runs until the quit request; always returns 0. An exception that escapes
// start-up is shown in the application's exception box, and the window is
// never shown.
int RunApplication(WindowOptions options = {});

// Fetches and dispatches messages until WM_QUIT; the window's dialog keys are
// handled first. Returns the exit code of WM_QUIT.
int RunMessageLoop(FlashWindow* window);

}  // namespace cdflash::win32
