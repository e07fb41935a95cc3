// Whole-file reading: the read goes to the real end of the file, never more
// than one byte past the caller's limit, whatever size the file reports.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/Files.h"
#include "support/TempFolder.h"

namespace cdflash {
namespace {

namespace fs = std::filesystem;

struct SizeCase {
  std::size_t size;   // bytes in the file
  std::size_t limit;  // what the reader is allowed
  std::size_t read;   // what it must hand back
};

class ReadFileBytesSizes : public ::testing::TestWithParam<SizeCase> {
 protected:
  test::TempFolder folder_;
  const fs::path& dir_ = folder_.FsPath();
};

TEST_P(ReadFileBytesSizes, ReadsToTheEndOrOneByteOverTheLimit) {
  const SizeCase c = GetParam();
  std::string content(c.size, '\0');
  for (std::size_t i = 0; i < c.size; ++i) content[i] = static_cast<char>(i * 7 + i / 251);
  const fs::path path = dir_ / "file.bin";
  std::ofstream(path, std::ios::binary) << content;

  const FileBytes file = ReadFileBytes(path.string(), c.limit);
  EXPECT_EQ(file.status, FileBytes::Status::Read);
  ASSERT_EQ(file.bytes.size(), c.read);
  EXPECT_TRUE(std::equal(file.bytes.begin(), file.bytes.end(), content.begin(),
                         [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); }));
}

// Sizes around the limit, and past the 64 KiB step the read takes after its
// first, whole-file read.
INSTANTIATE_TEST_SUITE_P(AroundTheLimit, ReadFileBytesSizes,
                         ::testing::Values(SizeCase{0, 100, 0}, SizeCase{1, 100, 1}, SizeCase{99, 100, 99},
                                           SizeCase{100, 100, 100}, SizeCase{101, 100, 101},
                                           SizeCase{200000, 100, 101}, SizeCase{200000, 199999, 200000},
                                           SizeCase{200000, 200000, 200000}, SizeCase{200000, 300000, 200000}));

TEST(ReadFileBytes, MissingFileIsNotOpened) {
  const FileBytes file = ReadFileBytes((fs::temp_directory_path() / "cdflash-no-such-file").string(), 100);
  EXPECT_EQ(file.status, FileBytes::Status::NotOpened);
  EXPECT_TRUE(file.bytes.empty());
}

#ifdef __linux__
// The kernel's own files report no length and cannot be sought to their end;
// their content is still read whole, and cut at the limit like any other.
TEST(ReadFileBytes, FileOfUnknownLengthIsReadToItsEnd) {
  const FileBytes whole = ReadFileBytes("/proc/self/maps", 16u << 20);
  ASSERT_EQ(whole.status, FileBytes::Status::Read);
  ASSERT_GT(whole.bytes.size(), 100u);
  EXPECT_EQ(whole.bytes.back(), '\n');

  const FileBytes cut = ReadFileBytes("/proc/self/maps", 10);
  EXPECT_EQ(cut.status, FileBytes::Status::Read);
  EXPECT_EQ(cut.bytes.size(), 11u);
}
#endif

}  // namespace
}  // namespace cdflash
