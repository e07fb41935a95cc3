#include "builder/Utf16Text.h"

#include <array>
#include <cstdint>

namespace cdflash {
namespace {

// Code page 1252's bytes 80..9F, by the character each stands for (0: none).
constexpr std::array<std::uint16_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char ToCp1252(std::uint16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
  for (std::size_t i = 0; i < kCp1252High.size(); ++i) {
    if (kCp1252High[i] != 0 && kCp1252High[i] == unit) return static_cast<char>(0x80 + i);
  }
  return '?';
}

}  // namespace

bool IsUtf16LeText(std::string_view bytes) {
  return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
         static_cast<unsigned char>(bytes[1]) == 0xFE;
}

std::string Utf16LeToCp1252(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size() / 2);
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    const auto unit = static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[i]) |
                                                 (static_cast<unsigned char>(bytes[i + 1]) << 8));
    // The second half of a pair was already given its '?' with the first.
    if (unit >= 0xDC00 && unit <= 0xDFFF) continue;
    text += ToCp1252(unit);
  }
  return text;
}

}  // namespace cdflash
