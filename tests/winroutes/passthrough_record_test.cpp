// The pass-through record the route hands to the driver, byte for byte
// against the layout: SCSI_PASS_THROUGH_DIRECT, a filler, the sense area
// (at 48 in the shipped 32-bit program).

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "device/CommandVerdict.h"
#include "device/routes/passthrough_win.h"
#include "winroutes/RecordLayout.h"

namespace cdflash {
namespace {

static_assert(IOCTL_SCSI_PASS_THROUGH_DIRECT == 0x4D014);

using winroutes::Bytes;
using winroutes::BytesOf;
using winroutes::kPassThroughLayout;

// The record byte for byte: the request, a filler, the sense area.
Bytes Expected(const DriveAddress& address, std::uint8_t dataIn, std::uint32_t length,
               std::uint32_t timeout, const void* buffer, const std::array<std::uint8_t, 12>& cdb) {
  const winroutes::PassThroughLayout& at = kPassThroughLayout;
  Bytes bytes(at.size);
  bytes[0] = static_cast<std::uint8_t>(at.header);  // Length
  bytes[3] = address.hostAdapter;
  bytes[4] = address.target;
  bytes[5] = address.lun;
  bytes[6] = 12;  // CdbLength
  bytes[7] = 24;  // SenseInfoLength
  bytes[8] = dataIn;
  winroutes::PutField(bytes, 12, 4, length);
  winroutes::PutField(bytes, 16, 4, timeout);
  winroutes::PutPointer(bytes, at.dataBuffer, buffer);
  winroutes::PutField(bytes, at.senseInfoOffset, 4, at.sense);
  std::memcpy(bytes.data() + at.cdb, cdb.data(), cdb.size());
  return bytes;
}

// A command without data still carries "data in" and the buffer.
TEST(PassThroughRecordTest, EachDirectionMatchesTheLayout) {
  std::array<std::uint8_t, 16384> buffer{};
  const std::array<std::uint8_t, 12> inquiry{0x12, 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0};
  const std::array<std::uint8_t, 12> write{0x3B, 5, 1, 0x04, 0, 0, 0, 0x40, 0, 0x7F, 0, 0};
  const std::array<std::uint8_t, 12> testUnitReady{};
  const DriveAddress d{'D', 0, 0, 0}, e{'E', 1, 2, 3}, f{'F', 0, 0, 0};
  EXPECT_EQ(BytesOf(BuildPassThroughRecord(d, {inquiry, true, buffer.data(), 128, 60, false})),
            Expected(d, 1, 128, 60, buffer.data(), inquiry));
  EXPECT_EQ(BytesOf(BuildPassThroughRecord(e, {write, false, buffer.data(), 16384, 180, false})),
            Expected(e, 0, 16384, 180, buffer.data(), write));
  EXPECT_EQ(BytesOf(BuildPassThroughRecord(f, {testUnitReady, true, buffer.data(), 0, 60, false})),
            Expected(f, 1, 0, 60, buffer.data(), testUnitReady));
}

// A finished record is judged by its status, the sense bytes the driver
// returned and the bytes that moved. A call that succeeded leaves whatever
// last error an earlier call set: the drive's answer carries no system error
// (Wine left 234 there on a real drive).
TEST(PassThroughRecordTest, FinishedRecordIsJudgedByStatusSenseAndTransfer) {
  const RouteCommand read{{0x3C, 1, 1, 0, 0, 0, 0, 0x40, 0, 0, 0, 0}, true, nullptr, 0x4000, 60, false};
  const DriveAddress address{'D', 1, 0, 0};
  struct Case {
    const char* name;
    std::uint8_t status;
    std::array<std::uint8_t, 4> senseStart;  // bytes 0..3 of the sense area
    ULONG moved;
    bool succeeded;
    std::uint8_t key, asc;
  };
  const Case cases[] = {
      {"good", 0x00, {}, 0x4000, true, 0, 0},
      {"fixed sense", 0x02, {0x70, 0, 0x05, 0}, 0x4000, false, 0x05, 0},
      {"short read", 0x00, {}, 0x2000, false, 0, 0},
  };
  for (const Case& c : cases) {
    PassThroughRecord record = BuildPassThroughRecord(address, read);
    record.request.ScsiStatus = c.status;
    std::memcpy(record.sense, c.senseStart.data(), c.senseStart.size());
    record.request.DataTransferLength = c.moved;
    const RouteOutcome outcome = JudgePassThroughRecord(record, true, ERROR_MORE_DATA, read);
    EXPECT_EQ(outcome.succeeded, c.succeeded) << c.name;
    EXPECT_EQ(outcome.systemError, 0u) << c.name;
    EXPECT_EQ(outcome.completionStatus, c.status) << c.name;
    EXPECT_EQ(ReadSense(outcome.sense), (SenseTriple{c.key, c.asc, 0})) << c.name;
  }
  // A record the driver refused is never a success, whatever it holds.
  PassThroughRecord refused = BuildPassThroughRecord(address, read);
  const RouteOutcome outcome = JudgePassThroughRecord(refused, false, 1117, read);
  EXPECT_FALSE(outcome.succeeded);
  EXPECT_EQ(outcome.systemError, 1117u);
}

}  // namespace
}  // namespace cdflash
