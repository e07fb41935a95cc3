// The pass-through route with the real platform (the NT family): CD-ROM
// letters that cannot be opened show the open error, letters that open but
// answer no INQUIRY are left out silently, and roots past the first twenty
// are walked too. The drive letters are made through Wine.

#include <gtest/gtest.h>

#include <windows.h>

#include <bit>
#include <memory>

#include "RecordingDialogs.h"
#include "WineDrives.h"
#include "common/Text.h"
#include "device/Cddrives.h"
#include "device/DeviceMessages.h"
#include "device/platform/Platform.h"

namespace cdflash::winroutes {
namespace {

class PassThroughOpenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RunningUnderWine()) GTEST_SKIP() << "drive letters are made through Wine's mount manager";
    ASSERT_EQ(SystemPlatform().PlatformId(), kPlatformWin32Nt);
    free_ = FreeDriveLetters();
    ASSERT_FALSE(free_.empty());
    SetDeviceReports(&dialogs);
  }
  void TearDown() override {
    SetDeviceReports(nullptr);
    EXPECT_EQ(CDDrive::OpenCount(), 0);
  }

  // What opening the letter's device gives, as the test sees it itself.
  static DWORD OpenError(char letter) {
    const std::string path = std::string("\\\\.\\") + letter + ":";
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return GetLastError();
    CloseHandle(handle);
    return ERROR_SUCCESS;
  }

  static std::string OpenErrorText(char letter) {
    return Format("Error opening: %d, Drive: \\\\.\\%c:", static_cast<int>(OpenError(letter)), letter);
  }

  std::vector<char> free_;
  sim::RecordingDialogs dialogs;
};

TEST_F(PassThroughOpenTest, CdRomThatAnswersNoInquiryIsLeftOutWithoutMessage) {
  WineDrive cdrom(free_.back(), WineDrive::Kind::CdRom);
  ASSERT_TRUE(cdrom.Defined());
  ASSERT_EQ(OpenError(cdrom.Letter()), static_cast<DWORD>(ERROR_SUCCESS));
  {
    CDDrives drives;
    EXPECT_EQ(drives.Count(), 0);
    EXPECT_EQ(CDDrive::OpenStatus(), 0x63);
  }
  EXPECT_TRUE(dialogs.shown.empty());
}

// Fixed drives up to twenty roots, then two CD-ROMs that cannot be opened:
// each shows its open error, in root order.
TEST_F(PassThroughOpenTest, CdRomsThatCannotBeOpenedShowTheOpenErrorAlsoPastTheTwentiethRoot) {
  ASSERT_GE(free_.size() + std::popcount(GetLogicalDrives()), 22u);
  std::vector<std::unique_ptr<WineDrive>> added;
  for (const char letter : free_) {
    const int roots = std::popcount(GetLogicalDrives());
    if (roots >= 22) break;
    const auto kind = roots >= 20 ? WineDrive::Kind::UnopenableCdRom : WineDrive::Kind::Fixed;
    added.push_back(std::make_unique<WineDrive>(letter, kind));
    ASSERT_TRUE(added.back()->Defined());
  }
  {
    CDDrives drives;
    EXPECT_EQ(drives.Count(), 0);
    EXPECT_EQ(CDDrive::OpenStatus(), 0x63);
  }
  std::vector<std::string> expected, shown;
  for (const auto& drive : added) {
    if (GetDriveTypeA((std::string(1, drive->Letter()) + ":\\").c_str()) == DRIVE_CDROM) {
      expected.push_back("Message: " + OpenErrorText(drive->Letter()));
    }
  }
  ASSERT_EQ(expected.size(), 2u);
  for (const auto& box : dialogs.shown) shown.push_back(box.kind + ": " + box.text);
  EXPECT_EQ(shown, expected);
  EXPECT_EQ("Message: " + CDDrive::MessageText(), expected.back());
}

}  // namespace
}  // namespace cdflash::winroutes
