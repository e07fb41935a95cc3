// CDDrives over simulated machines: how many drives are listed, in which
// order, the selection, and the order of closing.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "SimBench.h"
#include "device/Cddrives.h"

namespace cdflash {
namespace {

using sim::SimBench;

class CDDrivesTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(CDDrive::OpenCount(), 0) << "a test left a drive open"; }
  SimBench bench;
};

// The drives found are closed in the opposite order.
TEST_F(CDDrivesTest, DrivesAreListedInOrderAndTheFirstIsSelected) {
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

TEST_F(CDDrivesTest, TwentyFiveDrivesFillTheListAndTheLastIsLeftOut) {
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

TEST_F(CDDrivesTest, DevicesThatDoNotOpenOrIdentifyAreLeftOut) {
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
