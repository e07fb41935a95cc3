// Drive roots and the addresses the drive list tries on Windows. The
// machine's own roots are read by the drive lists (aspi_discovery_test counts
// its probes, passthrough_open_test tries CD-ROMs past the twentieth root).

#include <gtest/gtest.h>

#include <windows.h>

#include "device/platform/drive_roots_win.h"

namespace cdflash::winroutes {
namespace {

using namespace std::string_view_literals;

std::string AnswerFor(const std::string& letters) {
  std::string answer;
  for (const char letter : letters) answer += std::string(1, letter) + ":\\" + '\0';
  return answer + '\0';
}

TEST(DriveRootsTest, AnswerSplitsIntoRootsUpToTheEmptyOneAndKeepsAllTwentySix) {
  EXPECT_EQ(ParseDriveRoots("A:\\\0C:\\\0D:\\\0\0E:\\\0"sv),
            (std::vector<std::string>{"A:\\", "C:\\", "D:\\"}));
  EXPECT_EQ(ParseDriveRoots("C:\\\0Z:\\"sv), (std::vector<std::string>{"C:\\", "Z:\\"}));
  EXPECT_TRUE(ParseDriveRoots(""sv).empty());
  EXPECT_TRUE(ParseDriveRoots("\0C:\\\0"sv).empty());
  const std::vector<std::string> roots = ParseDriveRoots(AnswerFor("ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
  ASSERT_EQ(roots.size(), 26u);
  EXPECT_EQ(roots.front(), "A:\\");
  EXPECT_EQ(roots.back(), "Z:\\");
}

TEST(DriveRootsTest, PassThroughTriesTheCdRomLettersInRootOrder) {
  const std::vector<std::string> roots{"A:\\", "C:\\", "D:\\", "E:\\"};
  const auto type = [](const std::string& root) -> unsigned {
    return root[0] == 'D' || root[0] == 'E' ? DRIVE_CDROM : root[0] == 'A' ? DRIVE_REMOVABLE : DRIVE_FIXED;
  };
  EXPECT_EQ(CdRomAddresses(roots, type),
            (std::vector<DriveAddress>{{'D', 0, 0, 0}, {'E', 0, 0, 0}}));
  EXPECT_TRUE(CdRomAddresses(roots, [](const std::string&) { return 3u; }).empty());
}

TEST(DriveRootsTest, AspiProbesTwoTargetsOnOneHostAdapterPerRoot) {
  EXPECT_EQ(AspiProbeAddresses(3),
            (std::vector<DriveAddress>{{' ', 0, 0, 0}, {' ', 0, 1, 0}, {' ', 1, 0, 0},
                                       {' ', 1, 1, 0}, {' ', 2, 0, 0}, {' ', 2, 1, 0}}));
  EXPECT_TRUE(AspiProbeAddresses(0).empty());
  EXPECT_EQ(AspiProbeAddresses(26).back(), (DriveAddress{' ', 25, 1, 0}));
}

}  // namespace
}  // namespace cdflash::winroutes
