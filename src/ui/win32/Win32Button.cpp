#include "ui/win32/Win32Button.h"

#include "ui/win32/WindowText.h"

namespace cdflash::win32 {

Win32Button::Win32Button(HWND parent, int id, const Bounds& design, const std::string& caption,
                         HFONT font, LayoutHost& host)
    : Win32Control(parent, {"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, id}, design, font, host) {
  SetCaption(caption);
}

std::string Win32Button::Caption() const { return ReadWindowText(hwnd_); }

void Win32Button::SetCaption(const std::string& caption) { WriteWindowText(hwnd_, caption); }

bool Win32Button::Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }

void Win32Button::SetEnabled(bool enabled) { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }

}  // namespace cdflash::win32
