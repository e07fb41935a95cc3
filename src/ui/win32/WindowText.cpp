#include "ui/win32/WindowText.h"

namespace cdflash::win32 {

std::string ReadWindowText(HWND hwnd) {
  const int length = GetWindowTextLengthA(hwnd);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(hwnd, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

void WriteWindowText(HWND hwnd, const std::string& text) { SetWindowTextA(hwnd, text.c_str()); }

}  // namespace cdflash::win32
