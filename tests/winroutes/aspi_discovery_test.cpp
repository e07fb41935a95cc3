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
    EXPECT_EQ(drives.Current->Letter(), ' ');
    EXPECT_EQ(drives.Current->VendorProduct(), "ACME    CRW-4012A       ");
    EXPECT_EQ(drives.Current->Revision(), "1.20");
  }
  EXPECT_TRUE(dialogs.shown.empty());

  // One INQUIRY per probe: host adapters 0..n-1, targets 0 and 1 each.
  const std::vector<LogLine> requests = dir.Log("EXEC");
  ASSERT_EQ(requests.size(), 2 * roots);
  for (std::size_t j = 0; j < requests.size(); ++j) {
    SCOPED_TRACE(j);
    EXPECT_EQ(requests[j].bytes[2], j / 2);  // SRB_HaId
    EXPECT_EQ(requests[j].bytes[8], j % 2);  // SRB_Target
    EXPECT_EQ(requests[j].bytes[kExecRequestLayout.cdb], 0x12);  // INQUIRY
  }
}

TEST_F(AspiDiscoveryTest, NothingAnsweringLeavesAnEmptyListWithoutMessages) {
  UseSimulator("[Layer]\r\n");
  CDDrives drives;
  EXPECT_EQ(drives.Count(), 0);
  EXPECT_EQ(drives.Current, nullptr);
  EXPECT_EQ(CDDrive::OpenStatus(), 0x63);
  EXPECT_TRUE(dialogs.shown.empty());
}

// The request block as the layer received it, against the published layout.
void ExpectBlock(const LogLine& line, std::uint8_t flags, std::uint32_t length,
                 const std::array<std::uint8_t, 12>& cdb) {
  const ExecRequestLayout& at = kExecRequestLayout;
  ASSERT_EQ(line.bytes.size(), at.size);
  const Bytes& b = line.bytes;
  EXPECT_EQ(b[0], 0x02);   // SC_EXEC_SCSI_CMD
  EXPECT_EQ(b[1], 0x00);   // SRB_Status, cleared
  EXPECT_EQ(b[2], 0x00);   // host adapter
  EXPECT_EQ(b[3], flags);  // direction with SRB_EVENT_NOTIFY
  EXPECT_EQ(Dword(b, 4), 0u);
  EXPECT_EQ(b[8], 0x01);  // target
  EXPECT_EQ(b[9], 0x00);  // LUN
  EXPECT_EQ(b[10], 0x00);
  EXPECT_EQ(b[11], 0x00);
  EXPECT_EQ(Dword(b, 12), length);
  EXPECT_NE(Pointer(b, at.bufPointer), 0u);  // the buffer
  EXPECT_EQ(b[at.senseLen], 14);             // SRB_SenseLen
  EXPECT_EQ(b[at.senseLen + 1], 12);         // SRB_CDBLen
  EXPECT_EQ(b[at.senseLen + 2], 0x00);
  EXPECT_EQ(b[at.senseLen + 3], 0x00);
  EXPECT_NE(Pointer(b, at.postProc), 0u);  // the completion event
  for (std::size_t i = at.reserved; i < at.cdb; ++i) EXPECT_EQ(b[i], 0x00) << "reserved byte " << i;
  for (std::size_t i = 0; i < 12; ++i) EXPECT_EQ(b[at.cdb + i], cdb[i]) << "CDB byte " << i;
  for (std::size_t i = at.cdb + 12; i < at.size; ++i) EXPECT_EQ(b[i], 0x00) << "byte " << i;
}

TEST_F(AspiDiscoveryTest, RequestBlocksFollowThePublishedLayoutByteForByte) {
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

TEST_F(AspiDiscoveryTest, RequestBlockCarriesLunZeroWhateverTheObjectsLun) {
  LayerDirectory& dir =
      UseSimulator("[Layer]\r\n" + DriveSection(0, 0, 0, "ACME", "CRW-4012A", "1.20"));
  {
    CDDrive drive(' ', 0, 0, 3);
    EXPECT_EQ(CDDrive::OpenStatus(), 0x00);
    EXPECT_EQ(drive.IdentityText(), "0-0-3  : ACME    CRW-4012A       1.20");
  }
  const std::vector<LogLine> requests = dir.Log("EXEC");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].bytes[9], 0x00);
}

}  // namespace
}  // namespace cdflash::winroutes
