#pragma once
// printf-style texts built from fixed-size byte fields. Fields hold
// single-byte text; a field without a NUL is never read past its end.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace cdflash {

// The text of `field` up to its first NUL, at most `field.size()` bytes.
std::string FieldText(std::span<const std::uint8_t> field);
std::string FieldText(const std::string& text);

// "%-W.Ws": cut to `width`, padded with blanks on the right.
std::string LeftAligned(const std::string& text, std::size_t width);
// "%W.Ws": cut to `width`, padded with blanks on the left.
std::string RightAligned(const std::string& text, std::size_t width);
// "%.Ps": cut to at most `precision` characters.
std::string Truncated(const std::string& text, std::size_t precision);

// `text` without the `blanks` at either end.
std::string_view Trimmed(std::string_view text, std::string_view blanks = " \t");

// Ordinal comparison: unsigned bytes, a prefix sorts first.
int CompareOrdinal(const std::string& a, const std::string& b);

// Printf into a std::string (bounded; never overflows).
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace cdflash
