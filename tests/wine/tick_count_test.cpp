// The stand-in for GetTickCount64 on systems without it: the 32-bit tick
// count carried across its wrap.

#include <gtest/gtest.h>

#include <cstdint>

#include "ui/win32/TickCount.h"

namespace cdflash::win32 {
namespace {

TEST(TickExtender, CountsOnAcrossEveryWrapOfTheTickCount) {
  const std::uint64_t wrap = std::uint64_t{1} << 32;
  const struct {
    std::uint32_t reading;
    std::uint64_t count;
  } steps[] = {
      {1000, 1000},
      {1000, 1000},                    // no time passed
      {0xFFFFFF00u, 0xFFFFFF00u},
      {5, wrap + 5},                   // wrapped
      {0x80000000u, wrap + 0x80000000u},
      {3, 2 * wrap + 3},               // wrapped again
  };
  TickExtender extender;
  for (const auto& step : steps) EXPECT_EQ(extender.Extend(step.reading), step.count) << step.reading;
}

}  // namespace
}  // namespace cdflash::win32
