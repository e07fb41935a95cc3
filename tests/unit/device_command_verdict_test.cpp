// How a completed command is judged whatever route carried it: the sense
// triple from either format, and which answers count as a success.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "device/CommandVerdict.h"

namespace cdflash {
namespace {

TEST(CommandVerdict, EachAnswerIsJudgedByStatusSenseAndBytesMoved) {
  constexpr std::uint8_t kBusy = 0x08;
  constexpr std::uint8_t kCheckCondition = 0x02;
  using SenseArea = std::array<std::uint8_t, kSenseAreaLength>;
  const SenseArea none{};
  const SenseArea fixed{0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x24, 0x01};
  const SenseArea descriptor{0x72, 0x05, 0x24, 0x01};
  struct Row {
    const char* name;
    std::uint8_t status;
    SenseArea sense;
    bool lengthIsMaximum;
    std::int32_t residual;
    SenseTriple triple;
    bool succeeded;
  };
  const Row rows[] = {
      {"good, every byte moved", kScsiStatusGood, none, false, 0, {}, true},
      {"busy without sense", kBusy, none, false, 0, {}, false},
      {"check condition without sense", kCheckCondition, none, false, 0, {}, false},
      {"fixed-format sense", kCheckCondition, fixed, false, 0, {0x05, 0x24, 0x01}, false},
      {"descriptor-format sense", kCheckCondition, descriptor, false, 0, {0x05, 0x24, 0x01}, false},
      {"good status but a sense key", kScsiStatusGood, fixed, false, 0, {0x05, 0x24, 0x01}, false},
      {"short read", kScsiStatusGood, none, false, 0x2000, {}, false},
      {"short answer to an allocation length", kScsiStatusGood, none, true, 0x2000, {}, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RouteCommand read;
    read.length = 0x4000;
    read.lengthIsMaximum = row.lengthIsMaximum;
    const SenseTriple triple = ReadSense(row.sense);
    EXPECT_EQ(triple, row.triple);
    EXPECT_EQ(CompletedCleanly(row.status, triple, read, row.residual), row.succeeded);
  }
  RouteCommand write;
  write.dataIn = false;
  write.length = 0x4000;
  EXPECT_TRUE(CompletedCleanly(kScsiStatusGood, {}, write, 0x4000)) << "only data-in must move it all";
}

}  // namespace
}  // namespace cdflash
