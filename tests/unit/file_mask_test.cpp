// BIN masks and the directory listing behind the file list: the same mask
// lists the same files on both systems.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "common/FileMask.h"
#include "support/TempFolder.h"
#include "system/SystemServices.h"

namespace cdflash {
namespace {

struct MaskCase {
  const char* name;
  const char* mask;
  bool matches;
};

TEST(FileMask, MatchesWildcardsIgnoringCaseOnEveryTrimmedPattern) {
  const MaskCase cases[] = {
      {"V100.BIN", "*.bin", true},
      {"v100.bin", "V1??.BIN", true},
      {"V1000.BIN", "V1??.BIN", false},
      {"V10.BIN", "V1??.BIN", false},
      {"V100.BIN.OLD", "*.bin", false},
      {"V100.BIN.OLD", "*.txt;*.old", true},
      {"1.60.HEX", "1.*.BIN; 1.*.HEX", true},   // blanks after ';'
      {"1.60.HEX", " 1.*.hex ;", true},
      {"README", "*.*", true},                  // every name, dot or not
      {"README", "*.", false},
      {"a*b.bin", "a[*]b.bin", false},          // no character classes
      {"aXbXc.bin", "a*b*c.bin", true},
      {"abab.bin", "*ab.bin", true},            // the star gives back what it took
      {"", "*", true},
      {"V100.BIN", "", false},
      {"V100.BIN", " ; ", false},
  };
  for (const MaskCase& c : cases) {
    EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches) << c.name << " / " << c.mask;
  }
  EXPECT_EQ(SplitMask("  a*.bin ;; ;b?.bin"), (std::vector<std::string>{"a*.bin", "b?.bin"}));
}

TEST(FileMask, MatchingFilesAreSortedIgnoringCase) {
  EXPECT_EQ(MatchingFiles({"V102.Bin", "notes.txt", "v101.bin", "V100.BIN", "a.bin", "A.bin"}, "*.bin"),
            (std::vector<std::string>{"A.bin", "a.bin", "V100.BIN", "v101.bin", "V102.Bin"}));
}

TEST(ListFiles, GivesTheVisibleFilesOfADirectoryAndNothingForAMissingOne) {
  namespace fs = std::filesystem;
  const test::TempFolder folder("cdflash-list");
  const fs::path& dir = folder.FsPath();
  fs::create_directories(dir / "FOLDER.BIN");
  for (const char* name : {"V100.BIN", "notes.txt", "HIDDEN.BIN"}) std::ofstream(dir / name) << "x";
#ifdef _WIN32
  SetFileAttributesA((dir / "HIDDEN.BIN").string().c_str(), FILE_ATTRIBUTE_HIDDEN);
  const std::vector<std::string> expected = {"notes.txt", "V100.BIN"};
#else
  fs::rename(dir / "HIDDEN.BIN", dir / ".HIDDEN.BIN");
  fs::create_symlink(dir / "V100.BIN", dir / "LINK.BIN");
  fs::create_symlink(dir / "FOLDER.BIN", dir / "LINKED-FOLDER.BIN");
  const std::vector<std::string> expected = {"LINK.BIN", "notes.txt", "V100.BIN"};
#endif
  EXPECT_EQ(MatchingFiles(SystemServices().ListFiles(dir.string()), "*.*"), expected);
  EXPECT_TRUE(SystemServices().ListFiles((dir / "missing").string()).empty());
}

}  // namespace
}  // namespace cdflash
