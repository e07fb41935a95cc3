// The one-character names of /dev/srN.

#include <gtest/gtest.h>

#include "device/routes/SrNames.h"

namespace cdflash {
namespace {

TEST(SrNamesTest, NumbersAndCharactersMapBothWays) {
  const std::pair<unsigned, char> pairs[] = {{0, '0'}, {9, '9'}, {10, 'A'}, {35, 'Z'}, {36, 'a'}, {61, 'z'}};
  for (const auto& [number, letter] : pairs) {
    EXPECT_EQ(SrLetter(number), letter) << number;
    EXPECT_EQ(SrNumber(letter), number) << letter;
  }
  EXPECT_EQ(SrLetter(62), std::nullopt);
  EXPECT_EQ(SrNumber(' '), std::nullopt);
  EXPECT_EQ(SrNumber(':'), std::nullopt);
  EXPECT_EQ(SrDevicePath('0'), "/dev/sr0");
  EXPECT_EQ(SrDevicePath('B'), "/dev/sr11");
  EXPECT_EQ(SrDevicePath('-'), "");
}

TEST(SrNamesTest, OnlyPlainSrNumbersAreCdDevices) {
  EXPECT_EQ(SrNumberOfName("sr0"), 0u);
  EXPECT_EQ(SrNumberOfName("sr12"), 12u);
  for (const char* name : {"sr", "sda", "sr0p1", "sr01", "loop0", "srx", "xsr0", "sr99999999"}) {
    EXPECT_EQ(SrNumberOfName(name), std::nullopt) << name;
  }
}

}  // namespace
}  // namespace cdflash
