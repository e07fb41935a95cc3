#include "device/routes/SrNames.h"

namespace cdflash {

std::optional<char> SrLetter(unsigned number) {
  if (number < 10) return static_cast<char>('0' + number);
  if (number < 36) return static_cast<char>('A' + (number - 10));
  if (number < 62) return static_cast<char>('a' + (number - 36));
  return std::nullopt;
}

std::optional<unsigned> SrNumber(char letter) {
  if (letter >= '0' && letter <= '9') return static_cast<unsigned>(letter - '0');
  if (letter >= 'A' && letter <= 'Z') return static_cast<unsigned>(letter - 'A') + 10;
  if (letter >= 'a' && letter <= 'z') return static_cast<unsigned>(letter - 'a') + 36;
  return std::nullopt;
}

std::optional<unsigned> SrNumberOfName(const std::string& name) {
  if (name.size() < 3 || name.size() > 8 || name.compare(0, 2, "sr") != 0) return std::nullopt;
  if (name.size() > 3 && name[2] == '0') return std::nullopt;
  unsigned number = 0;
  for (std::size_t i = 2; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return std::nullopt;
    number = number * 10 + static_cast<unsigned>(name[i] - '0');
  }
  return number;
}

std::string SrDevicePath(char letter) {
  const auto number = SrNumber(letter);
  return number ? "/dev/sr" + std::to_string(*number) : std::string();
}

}  // namespace cdflash
