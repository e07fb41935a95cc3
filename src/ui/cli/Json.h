#pragma once
// A JSON string literal of single-byte text: quotes, backslashes and
// control characters escaped; bytes above 127 as \u00XX (Latin-1).

#include <string>

#include "common/Text.h"

namespace cdflash::cli {

inline std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte >= 0x7F) {
      out += Format("\\u%04x", byte);
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace cdflash::cli
