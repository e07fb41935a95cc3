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

Bytes Built(const DriveAddress& address, const std::array<std::uint8_t, 12>& cdb, bool dataIn,
            std::uint8_t* buffer, std::int32_t length, HANDLE event) {
  RouteCommand command;
  command.cdb = cdb;
  command.dataIn = dataIn;
  command.buffer = buffer;
  command.length = length;
  const aspi::ExecScsiCommand block = BuildExecRequest(address, command, event);
  Bytes bytes(sizeof(block));
  std::memcpy(bytes.data(), &block, bytes.size());
  return bytes;
}

const HANDLE kEvent = reinterpret_cast<HANDLE>(0x1234);

// A request without data reads in, and every request carries LUN 0.
TEST(AspiRequestBlockTest, EachRequestMatchesTheLayout) {
  std::array<std::uint8_t, 64> buffer{};
  struct Row {
    const char* name;
    DriveAddress address;
    std::array<std::uint8_t, 12> cdb;
    bool dataIn;
    std::int32_t length;
    std::uint8_t flags;
  };
  const Row rows[] = {
      {"data in", {' ', 2, 1, 0}, {0x3C, 1, 1, 0, 0x40, 0, 0, 0, 0x40, 0, 0, 0}, true, 64, 0x48},
      {"data out", {' ', 0, 0, 0}, {0x3B, 5, 1, 0, 0, 0, 0, 0, 0x40, 0, 0, 0}, false, 64, 0x50},
      {"no data, LUN 5", {' ', 1, 1, 5}, {}, true, 0, 0x48},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Built(row.address, row.cdb, row.dataIn, buffer.data(), row.length, kEvent),
              Expected(row.address.hostAdapter, row.address.target, row.flags,
                       static_cast<std::uint32_t>(row.length), buffer.data(), kEvent, row.cdb))
        << row.name;
  }
}

TEST(AspiRequestBlockTest, PublishedBlocksAre80And12Bytes) {
  SKIP_UNLESS_32_BIT_PROGRAM("the published 80-byte SRB_ExecSCSICmd and 12-byte SRB_Abort");
  EXPECT_EQ(sizeof(aspi::ExecScsiCommand), 80u);
  EXPECT_EQ(offsetof(aspi::ExecScsiCommand, CDBByte), 48u);
  EXPECT_EQ(sizeof(aspi::AbortRequest), 12u);
}

}  // namespace
}  // namespace cdflash
