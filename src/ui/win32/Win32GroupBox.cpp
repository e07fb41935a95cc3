#include "ui/win32/Win32GroupBox.h"

#include "ui/win32/WindowText.h"

namespace cdflash::win32 {

Win32GroupBox::Win32GroupBox(HWND parent, int id, const Bounds& design, HFONT font,
                             LayoutHost& host)
    : Win32Control(parent, {"BUTTON", BS_GROUPBOX, 0, id}, design, font, host) {}

std::string Win32GroupBox::Caption() const { return ReadWindowText(hwnd_); }

void Win32GroupBox::SetCaption(const std::string& caption) {
  WriteWindowText(hwnd_, caption);
  // A group box paints only its text and frame: the parent must erase what a
  // longer caption left behind.
  Repaint();
}

void Win32GroupBox::Repaint() {
  HWND parent = GetParent(hwnd_);
  RECT rect{};
  GetWindowRect(hwnd_, &rect);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
  RedrawWindow(parent, &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

}  // namespace cdflash::win32
