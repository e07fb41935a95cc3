// The ASPI route over the simulator DLL: discovery by probing, the identity
// texts it gives, and the request blocks as the layer receives them.

#include <array>

#include "AspiRouteTest.h"
#include "device/Cddrives.h"

namespace cdflash::winroutes {
namespace {

using AspiDiscoveryTest = AspiRouteTest;

TEST_F(AspiDiscoveryTest, ListsTheConfiguredDrivesInProbeOrder) {
  const std::size_t roots = DriveRootCount();
  ASSERT_GE(roots, 2u);
  LayerDirectory& dir = UseSimulator(
      "[Layer]\r\n" + DriveSection(0, 1, 0, "ACME", "CRW-4012A", "1.20") +
      DriveSection(1, 0, 1, "OTHER", "CD-ROM X", "2.00") +
      // Beyond the last host adapter probed: never asked.
      DriveSection(2, static_cast<int>(roots), 0, "FAR", "AWAY", "9.99"));
  {
    CDDrives drives;
    ASSERT_EQ(drives.Count(), 2);
    EXPECT_EQ(drives.Current->IdentityText(), "0-1-0  : OTHER   CD-ROM X        2.00");
    ASSERT_TRUE(drives.Select(1));
    EXPECT_EQ(drives.Current->IdentityText(), "1-0-0  : ACME    CRW-4012A       1.20");
  }
  EXPECT_TRUE(dialogs.shown.empty());

  // One INQUIRY per probe: two targets on a host adapter per drive root
  // (the order of the probes is the drive roots tests' part).
  EXPECT_EQ(dir.Log("EXEC").size(), 2 * roots);
}

TEST_F(AspiDiscoveryTest, NothingAnsweringLeavesAnEmptyListWithoutMessages) {
  UseSimulator("[Layer]\r\n");
  CDDrives drives;
  EXPECT_EQ(drives.Count(), 0);
  EXPECT_EQ(drives.Current, nullptr);
  EXPECT_EQ(CDDrive::OpenStatus(), 0x63);
  EXPECT_TRUE(dialogs.shown.empty());
}

// The request block as the layer received it: what the route puts in for
// each command (the builder's own tests check every byte of the layout).
void ExpectBlock(const LogLine& line, std::uint8_t flags, std::uint32_t length,
                 const std::array<std::uint8_t, 12>& cdb) {
  ASSERT_EQ(line.bytes.size(), kExecRequestLayout.size);
  EXPECT_EQ(line.bytes[3], flags);  // direction with SRB_EVENT_NOTIFY
  EXPECT_EQ(Dword(line.bytes, 12), length);
  const auto* at = line.bytes.data() + kExecRequestLayout.cdb;
  EXPECT_EQ(std::vector<std::uint8_t>(at, at + 12), std::vector<std::uint8_t>(cdb.begin(), cdb.end()));
}

TEST_F(AspiDiscoveryTest, RequestBlocksCarryEachCommandThroughTheRegisteredBuffer) {
  LayerDirectory& dir =
      UseSimulator("[Layer]\r\n" + DriveSection(0, 0, 1, "ACME", "CRW-4012A", "1.20"));
  std::array<std::uint8_t, 4096> buffer{};
  {
    CDDrive drive(' ', 0, 1, 0);
    ASSERT_EQ(CDDrive::OpenStatus(), 0x00);
    CDDrive::SetDataBuffer(buffer.data(), static_cast<std::int32_t>(buffer.size()));
    WriteBuffer(drive, 0x1000, 64);
    TestUnitReady(drive);
    ReadBuffer(drive, 0x1000, 64);
  }
  const std::vector<LogLine> requests = dir.Log("EXEC");
  ASSERT_EQ(requests.size(), 4u);
  ExpectBlock(requests[0], 0x48, 128, {0x12, 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0});
  ExpectBlock(requests[1], 0x50, 64, {0x3B, 5, 1, 0, 0x10, 0, 0, 0, 0x40, 0, 0, 0});
  ExpectBlock(requests[2], 0x48, 0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  ExpectBlock(requests[3], 0x48, 64, {0x3C, 1, 1, 0, 0x10, 0, 0, 0, 0x40, 0, 0, 0});
  // Data goes through the registered buffer; INQUIRY through the transport's own.
  const std::uint64_t data = Address(buffer.data());
  EXPECT_NE(Pointer(requests[0].bytes, kExecRequestLayout.bufPointer), data);
  for (std::size_t i = 1; i < 4; ++i) EXPECT_EQ(Pointer(requests[i].bytes, kExecRequestLayout.bufPointer), data);
  // One block per object, reused by every command.
  for (const LogLine& request : requests) EXPECT_EQ(request.address, requests[0].address);
}

}  // namespace
}  // namespace cdflash::winroutes
