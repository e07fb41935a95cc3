// The drive model on its own, where the engine's runs over it do not show
// it: what it refuses, how it judges a commit, and what a fault leaves of a
// command's effect and of its answer.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "SimDrive.h"
#include "SimRoute.h"

namespace cdflash::sim {
namespace {

using Cdb = std::array<std::uint8_t, 12>;
using Bytes = std::vector<std::uint8_t>;

Cdb WriteBufferCdb(std::uint32_t offset, std::uint32_t length, std::uint8_t control = 0) {
  return {0x3B, 0x05, 0x01, static_cast<std::uint8_t>(offset >> 16), static_cast<std::uint8_t>(offset >> 8),
          static_cast<std::uint8_t>(offset), static_cast<std::uint8_t>(length >> 16),
          static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length), control, 0, 0};
}

Cdb ReadBufferCdb(std::uint32_t offset, std::uint32_t length) {
  Cdb cdb = WriteBufferCdb(offset, length);
  cdb[0] = 0x3C;
  cdb[1] = 0x01;
  return cdb;
}

const Cdb kInquiry{0x12, 0, 0, 0, 128, 0, 0, 0, 0, 0, 0, 0};

Reply Write(SimDrive& drive, std::uint32_t offset, Bytes data, std::uint8_t control = 0) {
  return drive.Execute(WriteBufferCdb(offset, static_cast<std::uint32_t>(data.size()), control), false, data);
}

Reply Read(SimDrive& drive, std::uint32_t offset, Bytes& into) {
  return drive.Execute(ReadBufferCdb(offset, static_cast<std::uint32_t>(into.size())), true, into);
}

Reply NoData(SimDrive& drive, const Cdb& cdb) { return drive.Execute(cdb, true, {}); }
Reply EntryCritical(SimDrive& drive) { return NoData(drive, WriteBufferCdb(0, 0, 0x7F)); }
Reply Commit(SimDrive& drive, std::uint8_t control = 0x80) { return NoData(drive, WriteBufferCdb(0, 0, control)); }

bool IsGood(const Reply& r) { return r.transport == Transport::Completed && r.status == kStatusGood; }

// An image whose every byte differs from its neighbours.
Bytes Image(std::size_t size) {
  Bytes image(size);
  for (std::size_t i = 0; i < size; ++i) image[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
  return image;
}

constexpr std::uint32_t kChunk = 0x4000;

void Download(SimDrive& drive, const Bytes& image) {
  for (std::uint32_t at = 0; at < image.size(); at += kChunk) {
    ASSERT_TRUE(IsGood(Write(drive, at, Bytes(image.begin() + at, image.begin() + at + kChunk))));
  }
}

// Reads back every chunk but `skip`; true when all of them matched.
bool ReadBack(SimDrive& drive, const Bytes& image, std::uint32_t skip = 0xFFFFFFFF) {
  bool same = true;
  for (std::uint32_t at = 0; at < image.size(); at += kChunk) {
    if (at == skip) continue;
    Bytes chunk(kChunk);
    if (!IsGood(Read(drive, at, chunk))) return false;
    same = same && std::equal(chunk.begin(), chunk.end(), image.begin() + at);
  }
  return same;
}

TEST(SimDriveTest, MalformedAndUnknownCommandsAreRefusedLikeADrive) {
  struct Case {
    const char* what;
    Cdb cdb;
    bool dataIn;
    std::size_t length;
    Sense expected;
  };
  Cdb wrongMode = WriteBufferCdb(0, 16);
  wrongMode[1] = 0x04;
  Cdb wrongBuffer = WriteBufferCdb(0, 16);
  wrongBuffer[2] = 0x02;
  Cdb readMode = ReadBufferCdb(0, 16);
  readMode[1] = 0x02;
  Cdb vpd = kInquiry;
  vpd[1] = 0x01;
  const Case cases[] = {
      {"unknown opcode", {0x28}, true, 0, kInvalidOpcode},
      {"unknown vendor sub-command", {0xDF, 0x55}, true, 0, kInvalidField},
      {"write buffer mode 4", wrongMode, false, 16, kInvalidField},
      {"write buffer id 2", wrongBuffer, false, 16, kInvalidField},
      {"write past the profile area", WriteBufferCdb(kDramSize - 8, 16), false, 16, kInvalidField},
      {"write length differs from the data", WriteBufferCdb(0, 16), false, 8, kInvalidField},
      {"write with data from the drive", WriteBufferCdb(0, 16), true, 16, kInvalidField},
      {"write with an unknown control", WriteBufferCdb(0, 16, 0x55), false, 16, kInvalidField},
      {"entry critical at an offset", WriteBufferCdb(0x10, 0, 0x7F), true, 0, kInvalidField},
      {"unknown control without data", WriteBufferCdb(0, 0, 0x42), true, 0, kInvalidField},
      {"commit outside the critical state", WriteBufferCdb(0, 0, 0x80), true, 0, kSequenceError},
      {"read past the end", ReadBufferCdb(kDramSize, 1), true, 1, kInvalidField},
      {"read buffer mode 2", readMode, true, 16, kInvalidField},
      {"inquiry for a VPD page", vpd, true, 128, kInvalidField},
  };
  for (const Case& c : cases) {
    SimDrive drive;
    Bytes data(c.length, 0xAB);
    const Reply reply = drive.Execute(c.cdb, c.dataIn, data);
    EXPECT_EQ(reply.status, kStatusCheckCondition) << c.what;
    EXPECT_EQ(reply.sense, c.expected) << c.what;
    EXPECT_EQ(reply.transferred, 0) << c.what;
    EXPECT_TRUE(std::all_of(drive.Dram().begin(), drive.Dram().end(), [](auto b) { return b == 0; })) << c.what;
  }
}

// The flash is programmed with whatever the buffer holds; only bytes that
// reached the host unaltered since they were written count as verified.
TEST(SimDriveCommitTest, CommitOfAnythingNotReadBackAsWrittenBricksTheDrive) {
  const Bytes image = Image(0x40000);
  struct Case {
    const char* what;
    void (*before)(SimDrive&, const Bytes&);  // after the download and the entry-critical
    bool bricked;
  };
  const Case cases[] = {
      {"every chunk read back as written", [](SimDrive& d, const Bytes& img) { EXPECT_TRUE(ReadBack(d, img)); },
       false},
      {"one chunk never read back", [](SimDrive& d, const Bytes& img) { ReadBack(d, img, 5 * kChunk); }, true},
      {"a chunk written again after its read-back",
       [](SimDrive& d, const Bytes& img) {
         ReadBack(d, img);
         Write(d, 3 * kChunk, Bytes(kChunk, 0));
       },
       true},
      {"a read-back that arrived corrupted",
       [](SimDrive& d, const Bytes& img) {
         d.InjectWhen(NthMatch(IsReadBuffer(), 7), Fault::CorruptReadBack(100, 2));
         EXPECT_FALSE(ReadBack(d, img));
       },
       true},
      {"a clean second read after a corrupt one",
       [](SimDrive& d, const Bytes& img) {
         d.InjectWhen(IsReadBuffer(), Fault::CorruptReadBack(0));
         EXPECT_FALSE(ReadBack(d, img));
         EXPECT_TRUE(ReadBack(d, img)) << "the corruption reached the host only";
       },
       false},
      {"a gap that was never written",
       [](SimDrive& d, const Bytes& img) {
         Write(d, 0x44000, Bytes(kChunk, 1));  // beyond the image: bytes 0x40000.. never written
         ReadBack(d, img);
         Bytes tail(kChunk);
         Read(d, 0x44000, tail);
       },
       true},
  };
  for (const Case& c : cases) {
    SimDrive drive;
    Download(drive, image);
    ASSERT_TRUE(IsGood(EntryCritical(drive)));
    c.before(drive, image);
    ASSERT_TRUE(IsGood(Commit(drive))) << c.what;
    EXPECT_EQ(drive.Bricked(), c.bricked) << c.what;
  }
  // Made after drives that were written, it starts as blank as the first.
  SimDrive nothingSent;
  const auto count = [](std::span<const std::uint8_t> bytes, std::uint8_t value) {
    return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), value));
  };
  EXPECT_EQ(count(nothingSent.Dram(), 0), nothingSent.Dram().size());
  EXPECT_EQ(count(nothingSent.Flash(), 0xFF) + 4, nothingSent.Flash().size()) << "all but its revision";
  EntryCritical(nothingSent);
  ASSERT_TRUE(IsGood(Commit(nothingSent)));
  EXPECT_EQ(nothingSent.Commits()[0].programmed, 0u);
  EXPECT_FALSE(nothingSent.Bricked()) << "nothing programmed, nothing unverified";
}

TEST(SimDriveFaultTest, LostAnswerLeavesTheCommandUndoneUnlessPlannedOtherwise) {
  SimDrive drive;
  drive.InjectAt(0, Fault::Timeout());
  EXPECT_EQ(Write(drive, 0, Bytes(16, 0x44)).transport, Transport::TimedOut);
  EXPECT_EQ(drive.Dram()[0], 0);

  Fault executed = Fault::TransportFailure();
  executed.executed = true;
  drive.InjectAt(1, executed);
  EXPECT_EQ(Write(drive, 0, Bytes(16, 0x44)).transport, Transport::Failed);
  EXPECT_EQ(drive.Dram()[0], 0x44);
}

// What the route reports of these answers the fault matrix holds the engine
// to; here, what of the drive's data lands in the host's buffer, and that
// the drive never counts such a chunk as read back.
TEST(SimDriveFaultTest, AnswersTheHostNeverFullyGotAreNotVerified) {
  struct Case {
    const char* what;
    std::optional<Fault> fault;
    std::size_t landed;  // bytes of the drive's data in the host buffer
    bool bricked;        // by a commit after every other chunk was read back
  };
  const Case cases[] = {
      {"clean read", std::nullopt, kChunk, false},
      {"busy", Fault::Busy(), 0, true},
      {"short transfer, half", Fault::ShortTransfer(), kChunk / 2, true},
      {"short transfer, one byte short", Fault::ShortTransfer(kChunk - 1), kChunk - 1, true},
      {"timeout after execution", Fault::TimeoutAfterExecution(), kChunk, true},
      {"GOOD answer at the timeout", Fault::AnsweredLate(), kChunk, true},
  };
  const Bytes image = Image(0x40000);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SimDrive drive;
    SimRoute route;
    route.Attach({}, drive);
    Download(drive, image);
    EntryCritical(drive);
    ASSERT_TRUE(ReadBack(drive, image, 0));
    if (c.fault) drive.InjectAt(drive.CommandCount(), *c.fault);
    Bytes host(kChunk, 0xEE);
    route.Execute(0, {}, cdflash::RouteCommand{ReadBufferCdb(0, kChunk), true, host.data(), kChunk});
    EXPECT_TRUE(std::equal(host.begin(), host.begin() + c.landed, image.begin()));
    EXPECT_TRUE(std::all_of(host.begin() + c.landed, host.end(), [](auto b) { return b == 0xEE; }));
    Commit(drive);
    EXPECT_EQ(drive.Bricked(), c.bricked);
  }
}

}  // namespace
}  // namespace cdflash::sim
