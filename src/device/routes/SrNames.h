#pragma once
// Linux CD devices are /dev/srN. The identity text has room for one drive
// character, so N is written as one: '0'..'9', then 'A'..'Z', then 'a'..'z'.

#include <optional>
#include <string>

namespace cdflash {

// The drive character of /dev/srN, or nothing when N has none (N > 61).
std::optional<char> SrLetter(unsigned number);

// N of a drive character, or nothing for a character SrLetter never gives.
std::optional<unsigned> SrNumber(char letter);

// N of a block device name "srN" (digits only, no leading zero), or nothing.
std::optional<unsigned> SrNumberOfName(const std::string& name);

// "/dev/srN" for a drive character; empty for a character without one.
std::string SrDevicePath(char letter);

}  // namespace cdflash
