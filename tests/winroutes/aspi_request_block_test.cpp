// The ASPI request block the route fills, byte for byte against the
// published SRB_ExecSCSICmd layout (its 64-bit counterpart in the 64-bit
// test build).

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "device/routes/aspi_win.h"
#include "winroutes/RecordLayout.h"

namespace cdflash {
namespace {

using winroutes::Bytes;
using winroutes::kExecRequestLayout;

Bytes Expected(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t flags, std::uint32_t length,
               const void* buffer, HANDLE event, const std::array<std::uint8_t, 12>& cdb) {
  const winroutes::ExecRequestLayout& at = kExecRequestLayout;
  Bytes bytes(at.size);
  bytes[0] = 0x02;
  bytes[2] = hostAdapter;
  bytes[3] = flags;
  bytes[8] = target;
  winroutes::PutField(bytes, 12, 4, length);
  winroutes::PutPointer(bytes, at.bufPointer, buffer);
  bytes[at.senseLen] = 14;
  bytes[at.senseLen + 1] = 12;
  winroutes::PutPointer(bytes, at.postProc, event);
  std::memcpy(bytes.data() + at.cdb, cdb.data(), cdb.size());
  return bytes;
}

const HANDLE kEvent = reinterpret_cast<HANDLE>(0x1234);

// A request without data reads in; the LUN is always 0.
TEST(AspiRequestBlockTest, EachDirectionMatchesTheLayout) {
  std::array<std::uint8_t, 64> buffer{};
  const std::array<std::uint8_t, 12> read{0x3C, 1, 1, 0, 0x40, 0, 0, 0, 0x40, 0, 0, 0};
  const std::array<std::uint8_t, 12> write{0x3B, 5, 1, 0, 0, 0, 0, 0, 0x40, 0, 0, 0};
  const std::array<std::uint8_t, 12> testUnitReady{};
  const auto built = [&](const DriveAddress& address, const std::array<std::uint8_t, 12>& cdb, bool dataIn,
                         std::int32_t length) {
    return winroutes::BytesOf(BuildExecRequest(address, {cdb, dataIn, buffer.data(), length, 60, false}, kEvent));
  };
  EXPECT_EQ(built({' ', 2, 1, 0}, read, true, 64), Expected(2, 1, 0x48, 64, buffer.data(), kEvent, read));
  EXPECT_EQ(built({' ', 0, 0, 0}, write, false, 64), Expected(0, 0, 0x50, 64, buffer.data(), kEvent, write));
  EXPECT_EQ(built({' ', 1, 1, 5}, testUnitReady, true, 0),
            Expected(1, 1, 0x48, 0, buffer.data(), kEvent, testUnitReady));
}

}  // namespace
}  // namespace cdflash
