#include "ui/win32/Win32Label.h"

#include "ui/win32/WindowText.h"

namespace cdflash::win32 {

namespace {
// Texts such as a vendor name are shown as they are: '&' is no accelerator.
constexpr ChildWindowSpec ChildFor(int id) { return {"STATIC", SS_LEFT | SS_NOPREFIX, 0, id}; }

int TextWidth(HWND hwnd, HFONT font, const std::string& text) {
  if (text.empty()) return 0;
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return size.cx;
}
}  // namespace

Win32Label::Win32Label(HWND parent, int id, const Bounds& design, HFONT font, LayoutHost& host)
    : Win32Control(parent, ChildFor(id), design, font, host), emptyWidth_(design.width), font_(font) {}

std::string Win32Label::Text() const { return ReadWindowText(hwnd_); }

void Win32Label::SetText(const std::string& text) {
  WriteWindowText(hwnd_, text);
  textWidth_ = TextWidth(hwnd_, font_, text);
  design_.width = text.empty() ? emptyWidth_ : Unscale(textWidth_);
  Place();
  host_.ControlsChanged();
}

void Win32Label::Place() {
  const int width = textWidth_ > 0 ? textWidth_ : Scale(emptyWidth_);
  MoveWindow(hwnd_, Scale(design_.left), Scale(design_.top), width, Scale(design_.height), TRUE);
}

}  // namespace cdflash::win32
