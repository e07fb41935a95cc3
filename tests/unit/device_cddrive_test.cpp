// CDDrive and the CDDrives list over simulated drives: identity, the success
// rule, the transport state through failed and successful constructions, the
// data buffer, and which drives are listed, in which order, and closed how.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "SimBench.h"
#include "common/Text.h"
#include "device/Cddrive.h"
#include "device/Cddrives.h"

namespace cdflash {
namespace {

using sim::Fault;
using sim::SimBench;

constexpr std::uint8_t kOpened = 0x00;
constexpr std::uint8_t kNotOpened = 0x63;

constexpr auto& Identity = sim::DriveWithIdentity;

std::unique_ptr<CDDrive> Construct(char letter) {
  return std::make_unique<CDDrive>(letter, 0, 0, 0);
}

std::int32_t ReadBuffer(CDDrive& drive, std::uint32_t offset, std::int32_t length) {
  const auto n = static_cast<std::uint32_t>(length);
  return drive.ExecCommand(0x3C, 1, 1, static_cast<std::uint8_t>(offset >> 16),
                           static_cast<std::uint8_t>(offset >> 8), static_cast<std::uint8_t>(offset),
                           static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 8),
                           static_cast<std::uint8_t>(n), 0, 0, 0, 1, length).value;
}

class CDDriveTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(CDDrive::OpenCount(), 0) << "a test left a drive open"; }
  SimBench bench;
};

// The identity is the address and the 28 bytes of vendor, product and
// revision the drive answered, blank-padded; a zero byte or the end of a
// short answer ends them, right-aligned, and nothing of an earlier answer
// shows.
TEST_F(CDDriveTest, IdentityIsTheAddressAndTheFieldsTheDriveAnswered) {
  auto zeroPadded = Identity("AB", "CD", "9");
  zeroPadded.zeroPadded = true;  // "AB" then zero bytes
  auto shortAnswer = Identity("SHORTVND", "SHORT-PRODUCT-AB", "1.00");
  shortAnswer.inquiryLength = 20;  // vendor and 4 product bytes only
  const struct {
    const char* what;
    sim::DriveConfig config;
    DriveAddress address;
    std::string identity, vendorProduct, revision;
  } rows[] = {
      {"fields that fill their width", Identity("VENDOR01", "PRODUCT-NAME-16C", "1.2A"), {'0', 0, 0, 0},
       "0-0-0 0: VENDOR01PRODUCT-NAME-16C1.2A", "VENDOR01PRODUCT-NAME-16C", "1.2A"},
      {"short answer after a full one", shortAnswer, {'1', 0, 0, 0},
       "0-0-0 1: " + std::string(16, ' ') + "SHORTVNDSHOR", std::string(16, ' ') + "SHORTVND", "SHOR"},
      {"short fields at another address", Identity("AB", "CD", "9"), {'E', 1, 2, 0},
       "1-2-0 E: AB      CD              9   ", "AB      CD              ", "9   "},
      {"zero byte", zeroPadded, {'2', 0, 0, 0}, "0-0-0 2: " + std::string(26, ' ') + "AB", std::string(24, ' '),
       "  AB"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    bench.platform.AddDrive(row.config, row.address);
    CDDrive drive(row.address.letter, row.address.hostAdapter, row.address.target, row.address.lun);
    ASSERT_EQ(CDDrive::OpenStatus(), kOpened);
    EXPECT_EQ(drive.IdentityText(), row.identity);
    EXPECT_EQ(drive.VendorProduct(), row.vendorProduct);
    EXPECT_EQ(drive.Revision(), row.revision);
    EXPECT_EQ(drive.GetIdentity(), row.identity);
  }
}

// A drive that gave no identity, at its construction or later, shows "0"
// and empty slices; the device opened for the INQUIRY is closed again.
TEST_F(CDDriveTest, NoIdentityIsZeroWithEmptySlices) {
  auto& refused = bench.platform.AddDrive();
  refused.InjectAt(0, Fault::WithSense({0x04, 0x44, 0x00}));
  auto& vanishing = bench.platform.AddDrive();
  auto unopened = Construct('0');
  EXPECT_EQ(CDDrive::OpenStatus(), kNotOpened);
  EXPECT_EQ(bench.platform.Route().OpenDevices(), 0);
  auto vanished = Construct('1');
  ASSERT_EQ(CDDrive::OpenStatus(), kOpened);
  vanishing.Unplug();
  EXPECT_EQ(vanished->GetIdentity(), "0");
  for (const CDDrive* drive : {unopened.get(), vanished.get()}) {
    EXPECT_EQ(drive->IdentityText(), "0");
    EXPECT_EQ(drive->VendorProduct(), "");
    EXPECT_EQ(drive->Revision(), "");
  }
  EXPECT_TRUE(bench.dialogs.shown.empty());
}

TEST_F(CDDriveTest, OpenStatusAndCountFollowFailedAndSuccessfulConstructions) {
  bench.platform.AddDrive();  // '0'
  bench.platform.AddDrive();  // '1'
  auto& route = bench.platform.Route();

  auto missing = Construct('7');
  EXPECT_EQ(CDDrive::OpenStatus(), kNotOpened);
  EXPECT_EQ(CDDrive::OpenCount(), 0);
  EXPECT_EQ(route.Initialisations(), 1);
  ASSERT_EQ(bench.dialogs.shown.size(), 1u);
  EXPECT_EQ(bench.dialogs.shown[0].kind, "Message");
  EXPECT_EQ(bench.dialogs.shown[0].text, "Error opening: 2, Drive: sim:7");
  EXPECT_EQ(CDDrive::MessageText(), "Error opening: 2, Drive: sim:7");

  auto first = Construct('0');
  EXPECT_EQ(CDDrive::OpenStatus(), kOpened);
  EXPECT_EQ(CDDrive::OpenCount(), 1);
  EXPECT_EQ(route.Initialisations(), 2);  // the count was still 0

  auto missingAgain = Construct('8');
  EXPECT_EQ(CDDrive::OpenStatus(), kNotOpened);
  EXPECT_EQ(CDDrive::OpenCount(), 1);

  auto second = Construct('1');
  EXPECT_EQ(CDDrive::OpenStatus(), kOpened);
  EXPECT_EQ(CDDrive::OpenCount(), 2);
  EXPECT_EQ(route.Initialisations(), 2);  // no new initialisation while a device is open

  missing.reset();
  missingAgain.reset();
  EXPECT_EQ(CDDrive::OpenCount(), 2);  // unopened objects hold no count
  first.reset();
  EXPECT_EQ(CDDrive::OpenCount(), 1);
  second.reset();
  EXPECT_EQ(CDDrive::OpenCount(), 0);
  EXPECT_EQ(route.OpenDevices(), 0);
}

TEST_F(CDDriveTest, FailedTransportInitialisationEndsEveryConstructionAndShowsItsError) {
  bench.platform.AddDrive();
  bench.platform.Route().FailInitialisation(0x62, "Unable to load the library");
  for (int attempt = 1; attempt <= 2; ++attempt) {
    auto drive = Construct('0');
    EXPECT_EQ(CDDrive::OpenStatus(), 0x62);
    EXPECT_EQ(CDDrive::OpenCount(), 0);
  }
  EXPECT_EQ(bench.platform.Route().Initialisations(), 2);
  EXPECT_TRUE(bench.platform.Route().Opened().empty());
  ASSERT_EQ(bench.dialogs.shown.size(), 2u);
  EXPECT_EQ(bench.dialogs.shown[1], (sim::RecordingDialogs::Shown{"Error", "Unable to load the library"}));
}

class SuccessRuleTest : public CDDriveTest {
 protected:
  void SetUp() override {
    sim = &bench.platform.AddDrive();
    drive = Construct('0');
    ASSERT_EQ(CDDrive::OpenStatus(), kOpened);
  }
  void TearDown() override {
    drive.reset();
    CDDriveTest::TearDown();
  }
  // Plans `fault` for the next command.
  void NextCommand(Fault fault) { sim->InjectAt(sim->CommandCount(), fault); }

  sim::SimDrive* sim = nullptr;
  std::unique_ptr<CDDrive> drive;
};

// Each way a command ends, as its result tells it: only a clean answer the
// transport delivered succeeds, whatever the sense bytes of a failure say,
// and each command's result is its own.
TEST_F(SuccessRuleTest, EveryWayACommandEndsIsInItsResult) {
  struct Row {
    const char* name;
    std::optional<Fault> fault;
    bool succeeded;
    std::string senseText;
  };
  const Row rows[] = {
      {"lost in the transport, no sense", Fault::TransportFailure(), false,
       Format("00 00 00. 00, %04X", sim::kErrorTransport)},
      {"clean", std::nullopt, true, "00 00 00. 00, 0000"},
      {"refused with sense", Fault::WithSense({0x05, 0x24, 0x00}), false, "05 24 00. 02, 0000"},
      {"a flag bit alone in the sense key byte", Fault::WithSense({0x20, 0x00, 0x00}), false, "20 00 00. 02, 0000"},
      {"CHECK CONDITION with sense key 0", Fault::WithSense({0x00, 0x5D, 0x00}), false, "00 5D 00. 02, 0000"},
      {"timed out", Fault::Timeout(), false, Format("00 00 00. 00, %04X", sim::kErrorTimeout)},
      {"the device gone", Fault::DeviceGone(), false, Format("00 00 00. 00, %04X", sim::kErrorGone)},
  };
  const ScsiCommand kTestUnitReady{};  // an all-zero block, no data
  sim->SetMediumScript({sim::kGood});
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.fault) NextCommand(*row.fault);
    const ScsiResult result = drive->Execute(kTestUnitReady);
    EXPECT_EQ(result.succeeded, row.succeeded);
    EXPECT_EQ(result.value != 0, row.succeeded);
    EXPECT_EQ(result.SenseText(), row.senseText);
  }
  const ScsiResult again = drive->Execute(kTestUnitReady);
  EXPECT_TRUE(again.deviceGone && !again.succeeded) << "a device gone stays gone";
}

TEST_F(SuccessRuleTest, TheInternalBufferComesBackOnANullBufferAndOnInitialisation) {
  std::vector<std::uint8_t> buffer(100);
  const auto internalInUse = [&buffer] {
    EXPECT_NE(CDDrive::DataBuffer(), nullptr);
    EXPECT_NE(CDDrive::DataBuffer(), buffer.data());
    EXPECT_EQ(CDDrive::DataBufferLength(), 2352);
  };
  for (const std::int32_t length : {0, -5, 100, 999999}) {
    CDDrive::SetDataBuffer(buffer.data(), 100);
    CDDrive::SetDataBuffer(nullptr, length);
    internalInUse();
  }
  EXPECT_EQ(ReadBuffer(*drive, 0, 2352), 1);
  CDDrive::SetDataBuffer(buffer.data(), 100);
  drive.reset();  // count back to 0: the next construction initialises
  bench.platform.AddDrive();
  drive = Construct('1');
  ASSERT_EQ(CDDrive::OpenStatus(), kOpened);
  internalInUse();
}

TEST_F(SuccessRuleTest, LengthBeyondTheBufferOrNegativeIsRefusedUnsent) {
  // 32 bytes registered inside a larger block: the rest must stay untouched.
  std::vector<std::uint8_t> block(64, 0xEE);
  CDDrive::SetDataBuffer(block.data(), 32);
  const std::size_t sent = sim->CommandCount();
  for (const std::int32_t length : {33, -1, 0x7FFFFFFF}) {
    EXPECT_EQ(ReadBuffer(*drive, 0, length), 0) << length;
    EXPECT_FALSE(drive->Last().succeeded);
    EXPECT_EQ(drive->Last().systemError, kInvalidParameterError);
  }
  EXPECT_EQ(sim->CommandCount(), sent);
  EXPECT_EQ(block, std::vector<std::uint8_t>(64, 0xEE));

  EXPECT_EQ(ReadBuffer(*drive, 0, 32), 1);  // exactly the buffer is fine
  EXPECT_EQ(block[0], 0) << "the answer lands in the caller's buffer";
  EXPECT_EQ(std::vector<std::uint8_t>(block.begin() + 32, block.end()), std::vector<std::uint8_t>(32, 0xEE));
}

TEST_F(CDDriveTest, AspiLibraryIsReleasedOnlyByADestructionThatFindsNoDeviceOpen) {
  bench.platform.SetPlatformId(kPlatformWin32Windows);
  bench.platform.Route().SetStyle(sim::SimRoute::Style::Aspi);
  bench.platform.AddDrive({}, {' ', 0, 0, 0});
  auto& route = bench.platform.Route();
  {
    CDDrive absent(' ', 3, 1, 0);  // nothing answers there: INQUIRY fails
    EXPECT_EQ(CDDrive::OpenStatus(), kNotOpened);
    EXPECT_TRUE(bench.dialogs.shown.empty());  // ASPI has no open message
  }
  EXPECT_EQ(route.LibraryReleases(), 1);
  {
    CDDrive present(' ', 0, 0, 0);
    ASSERT_EQ(CDDrive::OpenCount(), 1);
    CDDrive absent(' ', 3, 1, 0);
    EXPECT_EQ(CDDrive::OpenCount(), 1);  // a failed probe does not count down
  }
  EXPECT_EQ(route.LibraryReleases(), 1);  // the last destruction found the count at 1
}

// The drives found are closed in the opposite order.
TEST_F(CDDriveTest, DrivesAreListedInOrderAndTheFirstIsSelected) {
  {
    CDDrives none;
    EXPECT_EQ(none.Count(), 0);
    EXPECT_FALSE(none.Select(0));
    EXPECT_EQ(none.Current, nullptr);
  }
  bench.platform.AddDrive();
  bench.platform.AddDrive();
  auto drives = std::make_unique<CDDrives>();
  ASSERT_EQ(drives->Count(), 2);
  ASSERT_NE(drives->Current, nullptr);
  EXPECT_EQ(drives->Current->Letter(), '0');
  CDDrive* first = drives->Current;

  EXPECT_TRUE(drives->Select(1));
  EXPECT_EQ(drives->Current->Letter(), '1');
  EXPECT_EQ(drives->Current->Address(), (DriveAddress{'1', 0, 0, 0}));
  CDDrive* second = drives->Current;

  EXPECT_FALSE(drives->Select(2));  // Select(Count())
  EXPECT_EQ(drives->Current, second);
  EXPECT_FALSE(drives->Select(-1));
  EXPECT_EQ(drives->Current, second);
  EXPECT_TRUE(drives->Select(0));
  EXPECT_EQ(drives->Current, first);
  drives.reset();
  EXPECT_EQ(bench.platform.Route().Closed(), (std::vector<DriveAddress>{{'1', 0, 0, 0}, {'0', 0, 0, 0}}));
}

TEST_F(CDDriveTest, TwentyFiveDrivesFillTheListAndTheLastIsLeftOut) {
  for (int i = 0; i < 25; ++i) bench.platform.AddDrive();
  {
    CDDrives drives;
    EXPECT_EQ(drives.Count(), 24);
    EXPECT_EQ(CDDrive::OpenCount(), 24);
    EXPECT_TRUE(drives.Select(23));
    EXPECT_EQ(drives.Current->Letter(), 'N');  // the 24th: '0'..'9', 'A'..'N'
    EXPECT_FALSE(drives.Select(24));
  }
  // The 25th drive was never tried.
  EXPECT_EQ(bench.platform.Drive(24).CommandCount(), 0u);
  EXPECT_EQ(bench.platform.Route().Opened().size(), 24u);
}

TEST_F(CDDriveTest, DevicesThatDoNotOpenOrIdentifyAreLeftOut) {
  bench.platform.AddDrive();                 // '0'
  bench.platform.AddAbsent({'5', 0, 0, 0});  // listed by the platform, not there
  auto& mute = bench.platform.AddDrive();    // '2': INQUIRY fails
  mute.InjectWhen(sim::WithOpcode(0x12), sim::Fault::WithSense({0x04, 0x00, 0x00}),
                  sim::FaultPlan::kAlways);
  bench.platform.AddDrive();                 // '3'
  CDDrives drives;
  ASSERT_EQ(drives.Count(), 2);
  EXPECT_EQ(drives.Current->Letter(), '0');
  ASSERT_TRUE(drives.Select(1));
  EXPECT_EQ(drives.Current->Letter(), '3');
  EXPECT_EQ(CDDrive::OpenCount(), 2);
  ASSERT_EQ(bench.dialogs.shown.size(), 1u);
  EXPECT_EQ(bench.dialogs.shown[0].text, "Error opening: 2, Drive: sim:5");
  // The failed one was closed at once.
  EXPECT_EQ(bench.platform.Route().Closed(), (std::vector<DriveAddress>{{'2', 0, 0, 0}}));
}

}  // namespace
}  // namespace cdflash
