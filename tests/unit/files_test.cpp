// Whole-file reading: the read goes to the real end of the file, never more
// than one byte past the caller's limit, whatever size the file reports.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "common/Files.h"
#include "support/TempFolder.h"

namespace cdflash {
namespace {

// Sizes around the limit, and past the 64 KiB step the read takes after its
// first, whole-file read.
TEST(ReadFileBytes, ReadsToTheEndOrOneByteOverTheLimit) {
  const struct {
    std::size_t size;   // bytes in the file
    std::size_t limit;  // what the reader is allowed
    std::size_t read;   // what it must hand back
  } cases[] = {{0, 100, 0},           {1, 100, 1},           {99, 100, 99},
               {100, 100, 100},       {101, 100, 101},       {200000, 100, 101},
               {200000, 199999, 200000}, {200000, 200000, 200000}, {200000, 300000, 200000}};
  const test::TempFolder folder;
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.size << " bytes, limit " << c.limit);
    std::string content(c.size, '\0');
    for (std::size_t i = 0; i < c.size; ++i) content[i] = static_cast<char>(i * 7 + i / 251);
    std::ofstream(folder / "file.bin", std::ios::binary) << content;
    const FileBytes file = ReadFileBytes(folder / "file.bin", c.limit);
    EXPECT_EQ(file.status, FileBytes::Status::Read);
    ASSERT_EQ(file.bytes.size(), c.read);
    EXPECT_TRUE(std::equal(file.bytes.begin(), file.bytes.end(), content.begin(),
                           [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); }));
  }
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
