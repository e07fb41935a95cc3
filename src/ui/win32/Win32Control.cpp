#include "ui/win32/Win32Control.h"

#include <stdexcept>
#include <string>

#include "app/FormLayout.h"

namespace cdflash::win32 {

Win32Control::Win32Control(HWND parent, const ChildWindowSpec& child, const Bounds& design,
                           HFONT font, LayoutHost& host)
    : hwnd_(nullptr), design_(design), host_(host) {
  hwnd_ = CreateWindowExA(child.exStyle, child.className, "",
                          child.style | WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                          parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(child.id)),
                          GetModuleHandleA(nullptr), nullptr);
  if (hwnd_ == nullptr) {
    throw std::runtime_error(std::string("Cannot create a control of class ") + child.className +
                             " (error " + std::to_string(GetLastError()) + ")");
  }
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  // Later controls lie above earlier ones, as the form draws them: the
  // progress bar and the button must show above the group box around them.
  SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Win32Control::Place();
}

void Win32Control::SetTop(int top) {
  design_.top = top;
  Place();
  host_.ControlsChanged();
}

bool Win32Control::Visible() const {
  return (GetWindowLongA(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32Control::SetVisible(bool visible) {
  if (visible == Visible()) return;
  ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
  host_.ControlsChanged();
}

int Win32Control::Scale(int designPixels) const { return ScaleToDpi(designPixels, host_.Dpi()); }

int Win32Control::Unscale(int screenPixels) const {
  return MulDiv(screenPixels, kDesignDpi, host_.Dpi());
}

void Win32Control::Place() {
  MoveWindow(hwnd_, Scale(design_.left), Scale(design_.top), Scale(design_.width),
             Scale(design_.height), TRUE);
}

}  // namespace cdflash::win32
