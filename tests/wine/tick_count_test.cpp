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
  } steps[] = {  // consecutive readings less than half the wrap apart
      {1000, 1000},
      {1000, 1000},                       // no time passed
      {0x70000000u, 0x70000000u},
      {0xE0000000u, 0xE0000000u},
      {0xFFFFFF00u, 0xFFFFFF00u},
      {5, wrap + 5},                      // wrapped
      {0x60000000u, wrap + 0x60000000u},
      {0xD0000000u, wrap + 0xD0000000u},
      {3, 2 * wrap + 3},                  // wrapped again
      {0xFFFFFFF0u, wrap + 0xFFFFFFF0u},  // read by a thread before that wrap
      {1, 2 * wrap + 1},                  // ... and one slower than the reading of 3
      {10, 2 * wrap + 10},                // counts on without a wrap
  };
  TickExtender extender;
  for (const auto& step : steps) EXPECT_EQ(extender.Extend(step.reading), step.count) << step.reading;
}

}  // namespace
}  // namespace cdflash::win32
