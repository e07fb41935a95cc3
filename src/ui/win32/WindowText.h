#pragma once
// Window texts as single-byte strings of the ANSI code page, the form in which
// the core keeps every text.

#include <windows.h>

#include <string>

namespace cdflash::win32 {

std::string ReadWindowText(HWND hwnd);
void WriteWindowText(HWND hwnd, const std::string& text);

}  // namespace cdflash::win32
