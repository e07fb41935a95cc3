// Drives kept refused after an unanswered commit: each device keeps its own
// identity, in a file of its own inside the folder, whatever its name holds.
// What a second process makes of them is the flash session's to test.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "support/TempFolder.h"
#include "system/UnansweredCommits.h"

namespace cdflash {
namespace {

TEST(UnansweredCommits, EachDeviceKeepsItsIdentityInsideTheFolder) {
  test::TempFolder folder;
  FolderUnansweredCommits kept(folder / "run");
  const char* const devices[] = {"/dev/sr0", "/dev/sr1", "\\\\.\\D:", "1-0-0", "../../escaped", "dev%2Fsr0"};
  for (const char* device : devices) {
    std::string problem;
    EXPECT_TRUE(kept.Keep(device, std::string("identity of ") + device, problem)) << problem;
  }
  std::set<std::string> files;
  for (const char* device : devices) {
    EXPECT_EQ(kept.Find(device).value_or("none"), std::string("identity of ") + device);
    const std::filesystem::path file = kept.FileOf(device);
    EXPECT_EQ(file.parent_path(), std::filesystem::path(folder / "run"));
    files.insert(file.filename().string());
  }
  EXPECT_EQ(files.size(), std::size(devices));
  EXPECT_FALSE(std::filesystem::exists(folder / "escaped"));
}

}  // namespace
}  // namespace cdflash
