#pragma once
// Text saved as UTF-16 little-endian with a byte-order mark (as Notepad saves
// "Unicode"), turned into the single-byte text the program keeps: Windows
// code page 1252, as the system's profile reader gives it to a program that
// reads it in that code page. A character the code page lacks becomes '?'.

#include <string>
#include <string_view>

namespace cdflash {

// Whether `bytes` begin with the UTF-16LE byte-order mark FF FE.
bool IsUtf16LeText(std::string_view bytes);

// The text after the mark in code page 1252; a final odd byte is dropped.
std::string Utf16LeToCp1252(std::string_view bytes);

}  // namespace cdflash
