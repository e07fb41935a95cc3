#pragma once
// The reason a window gives the system for holding up the end of the session
// (shown by Windows Vista and later while it waits). Looked up in user32 at
// run time: systems without it (Windows 9x, XP) start and simply show none.

#include <windows.h>

namespace cdflash::win32 {

void SetShutdownReason(HWND window, const wchar_t* reason);
void ClearShutdownReason(HWND window);

}  // namespace cdflash::win32
