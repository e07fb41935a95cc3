// The drive to this program alone during a run: which system errors mean
// another program holds the drive, the order of the Windows locks and their
// release, and what a drive that cannot claim anything gives.

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "SimBench.h"
#include "device/Cddrive.h"
#include "device/DriveLocks.h"
#include "device/ExclusiveUse.h"
#include "device/WindowsErrors.h"

namespace cdflash {
namespace {

using namespace winerror;

// Only the errors that mean another program holds the drive refuse the run
// (on Linux, EBUSY of an O_EXCL open; on Windows, a lock's errors); every
// verdict names the drive.
TEST(ExclusiveUse, OnlyErrorsThatMeanAnotherProgramRefuse) {
  struct Row {
    bool windows;
    std::uint32_t error;
    bool refused;
  };
  const Row rows[] = {{false, EBUSY, true},           {false, EACCES, false},        {false, EPERM, false},
                      {false, ENOENT, false},         {false, ENXIO, false},         {false, EROFS, false},
                      {true, kAccessDenied, true},    {true, kSharingViolation, true}, {true, kLockViolation, true},
                      {true, kDriveLocked, true},     {true, kNotReady, false},      {true, kInvalidFunction, false},
                      {true, kNotSupported, false},   {true, kBadCommand, false},    {true, 87, false}};
  for (const Row& row : rows) {
    const ExclusiveVerdict verdict = row.windows ? JudgeLockError(row.error, "E:")
                                                 : JudgeExclusiveOpen(static_cast<int>(row.error), "E:");
    EXPECT_EQ(verdict.refused, row.refused) << (row.windows ? "Windows error " : "errno ") << row.error;
    EXPECT_NE(verdict.cause.find("E:"), std::string::npos) << verdict.cause;
  }
  EXPECT_NE(JudgeExclusiveOpen(EBUSY, "/dev/sr1").cause.find("mounted"), std::string::npos)
      << "a mounted drive is the usual reason: the message says so";
}

// Answers each lock with a set error and writes every call to a shared list,
// which outlives the locks object the hold keeps.
class FakeLocks final : public IDriveLocks {
 public:
  FakeLocks(std::uint32_t deviceError, std::uint32_t volumeError, std::shared_ptr<std::vector<std::string>> calls)
      : deviceError_(deviceError), volumeError_(volumeError), calls_(std::move(calls)) {}
  std::uint32_t LockDevice() override {
    calls_->push_back("lock device");
    return deviceError_;
  }
  void UnlockDevice() override { calls_->push_back("unlock device"); }
  std::uint32_t LockVolume() override {
    calls_->push_back("lock volume");
    return volumeError_;
  }
  void UnlockVolume() override { calls_->push_back("unlock volume"); }

 private:
  std::uint32_t deviceError_, volumeError_;
  std::shared_ptr<std::vector<std::string>> calls_;
};

TEST(ExclusiveUse, WindowsTakesOneLockAndGivesBackTheOneItTook) {
  struct Row {
    const char* what;
    bool deviceLockKnown;
    std::uint32_t deviceError, volumeError;
    bool refused, held;
    std::vector<std::string> calls;  // through the release of what was taken
  };
  const Row rows[] = {
      {"Vista: device lock taken", true, 0, 0, false, true, {"lock device", "unlock device"}},
      {"Vista: another program holds the device lock", true, kAccessDenied, 0, true, false, {"lock device"}},
      {"Vista: driver without the device lock, volume lock taken", true, kInvalidFunction, 0, false, true,
       {"lock device", "lock volume", "unlock volume"}},
      {"Vista: a mounted disc, volume open elsewhere", true, kBadCommand, kAccessDenied, true, false,
       {"lock device", "lock volume"}},
      {"XP: volume lock taken", false, 0, 0, false, true, {"lock volume", "unlock volume"}},
      {"XP: volume open in another program", false, 0, kSharingViolation, true, false, {"lock volume"}},
      {"XP: empty drive, volume not ready: go on unlocked", false, 0, kNotReady, false, false, {"lock volume"}},
      {"Vista: nothing works, nobody else: go on unlocked", true, kNotSupported, kNotSupported, false, false,
       {"lock device", "lock volume"}},
  };
  for (const Row& row : rows) {
    auto calls = std::make_shared<std::vector<std::string>>();
    {
      ExclusiveUse use =
          TakeLockedUse(std::make_unique<FakeLocks>(row.deviceError, row.volumeError, calls), row.deviceLockKnown, "E:");
      EXPECT_EQ(use.refused, row.refused) << row.what;
      EXPECT_EQ(use.Held(), row.held) << row.what;
      EXPECT_EQ(use.cause.empty(), row.held) << row.what << ": " << use.cause;
      EXPECT_TRUE(!row.refused || use.cause.find("E:") != std::string::npos) << row.what << ": " << use.cause;
    }
    EXPECT_EQ(*calls, row.calls) << row.what;
  }
}

class DriveExclusiveUse : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(CDDrive::OpenCount(), 0); }
  sim::SimBench bench;
};

// A claim over the simulator is refused or held as the session's tests
// show; here what only the device layer decides.
TEST_F(DriveExclusiveUse, AspiAndUnopenedDrivesTakeNothingAndRefuseNothing) {
  {
    sim::SimBench aspi(kPlatformWin32Windows, sim::SimRoute::Style::Aspi);
    aspi.platform.AddDrive();
    aspi.platform.Route().RefuseExclusiveUse({'0', 0, 0, 0}, "never told over ASPI");
    CDDrive drive('0', 0, 0, 0);
    const ExclusiveUse use = drive.TakeExclusiveUse();
    EXPECT_FALSE(use.refused);
    EXPECT_FALSE(use.Held());
  }
  CDDrive absent('5', 0, 0, 0);  // no drive there: the object stays unopened
  const ExclusiveUse use = absent.TakeExclusiveUse();
  EXPECT_FALSE(use.refused);
  EXPECT_FALSE(use.Held());
}

TEST_F(DriveExclusiveUse, AHoldMayOutliveItsDrive) {
  bench.platform.AddDrive();
  ExclusiveUse use;
  {
    CDDrive drive('0', 0, 0, 0);
    use = drive.TakeExclusiveUse();
  }
  EXPECT_EQ(bench.platform.Route().ExclusiveHeld(), 1);
  use.hold.reset();
  EXPECT_EQ(bench.platform.Route().ExclusiveHeld(), 0);
}

}  // namespace
}  // namespace cdflash
