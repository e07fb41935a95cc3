// The drive model on its own: what it answers, what it keeps, how it judges
// a commit, and how planned faults change its answers.

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

const Cdb kTestUnitReady{};
const Cdb kInquiry{0x12, 0, 0, 0, 128, 0, 0, 0, 0, 0, 0, 0};
const Cdb kFlashId{0xDF, 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

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

// An image whose every byte differs from its neighbours, with a revision.
Bytes Image(std::size_t size, const char* revision = "2.05") {
  Bytes image(size);
  for (std::size_t i = 0; i < size; ++i) image[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
  std::copy_n(revision, 4, image.begin() + kRevisionOffset);
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

// --- what the drive answers -------------------------------------------------

TEST(SimDriveTest, InquiryAnswersTheStandardLayout) {
  DriveConfig config;
  config.vendor = "VEND";
  config.product = "PRODUCT";
  config.revision = "1.0B";
  SimDrive drive(config);
  Bytes data(128, 0xEE);
  const Reply reply = drive.Execute(kInquiry, true, data);
  ASSERT_TRUE(IsGood(reply));
  EXPECT_EQ(reply.transferred, 36);
  EXPECT_EQ(data[0], 0x05);
  EXPECT_EQ(data[4], 31);
  EXPECT_EQ(std::string(data.begin() + 8, data.begin() + 36), "VEND    PRODUCT         1.0B");
  EXPECT_EQ(data[36], 0xEE);  // nothing beyond the answer
}

TEST(SimDriveTest, InquiryIsCutByAllocationAndConfiguredLength) {
  DriveConfig config;
  config.inquiryLength = 20;
  SimDrive shortDrive(config);
  Bytes data(128, 0);
  EXPECT_EQ(shortDrive.Execute(kInquiry, true, data).transferred, 20);

  config.inquiryLength = 96;
  SimDrive longDrive(config);
  EXPECT_EQ(longDrive.Execute(kInquiry, true, data).transferred, 96);
  Cdb small = kInquiry;
  small[4] = 10;
  EXPECT_EQ(longDrive.Execute(small, true, data).transferred, 10);

  config.zeroPadded = true;
  config.vendor = "AB";
  SimDrive padded(config);
  padded.Execute(kInquiry, true, data);
  EXPECT_EQ(data[10], 0);
}

TEST(SimDriveTest, MediumScriptAnswersTestUnitReadyInTurnAndRepeatsTheLast) {
  SimDrive drive;
  EXPECT_EQ(NoData(drive, kTestUnitReady).sense, kNoMedium);  // the default
  drive.SetMediumScript({kBecomingReady, kBecomingReady, {0x02, 0x3A, 0x01}, kGood});
  EXPECT_EQ(NoData(drive, kTestUnitReady).sense, kBecomingReady);
  EXPECT_EQ(NoData(drive, kTestUnitReady).sense, kBecomingReady);
  const Reply noMedium = NoData(drive, kTestUnitReady);
  EXPECT_EQ(noMedium.status, kStatusCheckCondition);
  EXPECT_EQ(noMedium.sense, (Sense{0x02, 0x3A, 0x01}));
  EXPECT_TRUE(IsGood(NoData(drive, kTestUnitReady)));
  EXPECT_TRUE(IsGood(NoData(drive, kTestUnitReady)));
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

TEST(SimDriveTest, DramKeepsImageAndProfileAreas) {
  SimDrive drive;
  const Bytes chunk(kChunk, 0x3C);
  const Bytes profile(kProfileAreaSize, 0x7E);
  ASSERT_TRUE(IsGood(Write(drive, 0x7C000, chunk)));
  ASSERT_TRUE(IsGood(Write(drive, kProfileOffset, profile, 0x7F)));  // up to the very end
  Bytes back(kChunk);
  ASSERT_TRUE(IsGood(Read(drive, 0x7C000, back)));
  EXPECT_EQ(back, chunk);
  Bytes profileBack(456);
  ASSERT_TRUE(IsGood(Read(drive, kProfileOffset, profileBack)));
  EXPECT_EQ(profileBack, Bytes(456, 0x7E));
  EXPECT_EQ(drive.Dram()[0x7BFFF], 0);
  EXPECT_EQ(drive.Dram()[0x7C000], 0x3C);
}

TEST(SimDriveTest, FlashIdAnswerHoldsTheConfiguredBytes) {
  DriveConfig config;
  config.flashId = {0xBF, 0xB4};
  SimDrive drive(config);
  Bytes data(200, 0xEE);
  const Reply reply = drive.Execute(kFlashId, true, data);
  EXPECT_EQ(reply.transferred, kFlashIdAnswerLength);
  EXPECT_EQ(data[0], 0xBF);
  EXPECT_EQ(data[1], 0xB4);
  EXPECT_TRUE(std::all_of(data.begin() + 2, data.begin() + 128, [](auto b) { return b == 0; }));
  EXPECT_EQ(data[128], 0xEE);
}

TEST(SimDriveTest, EepromWritesLandAtTheirAddresses) {
  SimDrive drive;
  EXPECT_TRUE(IsGood(NoData(drive, {0xDF, 0x0A, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0x11, 0, 0})));
  EXPECT_TRUE(IsGood(NoData(drive, {0xDF, 0x0A, 0, 0, 0, 0, 0, 0x00, 0x00, 0x22, 0, 0})));
  EXPECT_EQ(drive.Eeprom(), (std::map<std::uint16_t, std::uint8_t>{{0xFFFF, 0x11}, {0x0000, 0x22}}));
}

// --- commit and the bricked verdict -------------------------------------------

TEST(SimDriveCommitTest, VerifiedImageIsProgrammedAndItsRevisionReported) {
  SimDrive drive;
  const Bytes image = Image(0x40000, "2.05");
  Download(drive, image);
  ASSERT_TRUE(IsGood(EntryCritical(drive)));
  EXPECT_TRUE(drive.InCriticalState());
  ASSERT_TRUE(ReadBack(drive, image));
  ASSERT_TRUE(IsGood(Commit(drive, 0xA0)));

  ASSERT_EQ(drive.Commits().size(), 1u);
  EXPECT_EQ(drive.Commits()[0].control, 0xA0);
  EXPECT_EQ(drive.Commits()[0].programmed, 0x40000u);
  EXPECT_FALSE(drive.Bricked());
  EXPECT_TRUE(std::equal(image.begin(), image.end(), drive.Flash().begin()));
  EXPECT_EQ(drive.Flash()[0x40000], 0xFF);  // beyond the image: untouched
  EXPECT_EQ(drive.Revision(), "2.05");
  EXPECT_FALSE(drive.InCriticalState());
  Bytes inquiry(128);
  drive.Execute(kInquiry, true, inquiry);
  EXPECT_EQ(std::string(inquiry.begin() + 32, inquiry.begin() + 36), "2.05");
}

TEST(SimDriveCommitTest, CommitOfAnythingNotReadBackAsWrittenBricksTheDrive) {
  const Bytes image = Image(0x40000);
  struct Case {
    const char* what;
    void (*spoil)(SimDrive&, const Bytes&);
  };
  const Case cases[] = {
      {"one chunk never read back",
       [](SimDrive& d, const Bytes& img) { ReadBack(d, img, 5 * kChunk); }},
      {"a chunk written again after its read-back",
       [](SimDrive& d, const Bytes& img) {
         ReadBack(d, img);
         Write(d, 3 * kChunk, Bytes(kChunk, 0));
       }},
      {"a read-back that arrived corrupted",
       [](SimDrive& d, const Bytes& img) {
         d.InjectWhen(NthMatch(IsReadBuffer(), 7), Fault::CorruptReadBack(100, 2));
         EXPECT_FALSE(ReadBack(d, img));
       }},
      {"a gap that was never written",
       [](SimDrive& d, const Bytes& img) {
         Write(d, 0x44000, Bytes(kChunk, 1));  // beyond the image: bytes 0x40000.. never written
         ReadBack(d, img);
         Bytes tail(kChunk);
         Read(d, 0x44000, tail);
       }},
  };
  for (const Case& c : cases) {
    SimDrive drive;
    Download(drive, image);
    EntryCritical(drive);
    c.spoil(drive, image);
    ASSERT_TRUE(IsGood(Commit(drive))) << c.what;
    EXPECT_TRUE(drive.Bricked()) << c.what;
  }
}

TEST(SimDriveCommitTest, ACleanSecondReadAfterACorruptOneVerifiesAgain) {
  SimDrive drive;
  const Bytes image = Image(0x40000);
  Download(drive, image);
  EntryCritical(drive);
  drive.InjectWhen(IsReadBuffer(), Fault::CorruptReadBack(0));
  EXPECT_FALSE(ReadBack(drive, image));
  EXPECT_TRUE(ReadBack(drive, image));
  Commit(drive);
  EXPECT_FALSE(drive.Bricked());
}

TEST(SimDriveCommitTest, CommitWithoutAnyDownloadProgramsNothing) {
  SimDrive drive;
  EntryCritical(drive);
  ASSERT_TRUE(IsGood(Commit(drive)));
  EXPECT_EQ(drive.Commits()[0].programmed, 0u);
  EXPECT_FALSE(drive.Bricked());
  EXPECT_EQ(drive.Revision(), "1.00");
}

// --- faults ----------------------------------------------------------------

TEST(SimDriveFaultTest, FaultsHitTheCommandsTheyAimAtAsOftenAsPlanned) {
  SimDrive drive;
  drive.SetMediumScript({kGood});
  drive.InjectAt(1, Fault::WithSense({0x06, 0x29, 0x00}));
  drive.InjectWhen(NthMatch(WithOpcode(0x00), 3), Fault::TransportFailure());
  drive.InjectWhen(WithOpcode(0x4E), Fault::Timeout(), 2);
  EXPECT_TRUE(IsGood(NoData(drive, kTestUnitReady)));               // 0
  EXPECT_EQ(NoData(drive, kTestUnitReady).sense, (Sense{0x06, 0x29, 0x00}));  // 1
  EXPECT_TRUE(IsGood(NoData(drive, kTestUnitReady)));               // 2
  EXPECT_EQ(NoData(drive, kTestUnitReady).transport, Transport::Failed);  // 3: fourth TUR
  const Cdb stopPlay{0x4E};
  EXPECT_EQ(NoData(drive, stopPlay).transport, Transport::TimedOut);
  EXPECT_EQ(NoData(drive, stopPlay).transport, Transport::TimedOut);
  EXPECT_TRUE(IsGood(NoData(drive, stopPlay)));
  EXPECT_TRUE(IsGood(NoData(drive, kTestUnitReady)));
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

TEST(SimDriveFaultTest, CommitThatProgramsButTimesOut) {
  SimDrive drive;
  const Bytes image = Image(0x40000, "3.00");
  Download(drive, image);
  EntryCritical(drive);
  ReadBack(drive, image);
  Fault lost = Fault::Timeout();
  lost.executed = true;
  drive.InjectWhen(IsCommit(), lost);
  EXPECT_EQ(Commit(drive).transport, Transport::TimedOut);
  EXPECT_EQ(drive.Commits().size(), 1u);
  EXPECT_EQ(drive.Revision(), "3.00");
  EXPECT_FALSE(drive.Bricked());
}

TEST(SimDriveFaultTest, GoneDeviceStaysGone) {
  SimDrive drive;
  drive.InjectWhen(IsEntryCritical(), Fault::DeviceGone());
  EXPECT_TRUE(IsGood(Write(drive, 0, Bytes(16, 1))));
  EXPECT_EQ(EntryCritical(drive).transport, Transport::Gone);
  EXPECT_TRUE(drive.Gone());
  EXPECT_FALSE(drive.InCriticalState());
  Bytes data(128);
  EXPECT_EQ(drive.Execute(kInquiry, true, data).transport, Transport::Gone);
}

TEST(SimDriveFaultTest, CorruptionAltersOnlyWhatTheHostReceives) {
  SimDrive drive;
  Write(drive, 0, Bytes(32, 0x0F));
  drive.InjectAt(drive.CommandCount(), Fault::CorruptReadBack(30, 5));  // runs past the transfer
  Bytes back(32);
  ASSERT_TRUE(IsGood(Read(drive, 0, back)));
  EXPECT_EQ(back[29], 0x0F);
  EXPECT_EQ(back[30], 0xF0);
  EXPECT_EQ(back[31], 0xF0);
  EXPECT_EQ(drive.Dram()[30], 0x0F);
}

TEST(SimDriveFaultTest, AnswersTheHostNeverFullyGotAreNotVerified) {
  struct Case {
    const char* what;
    std::optional<Fault> fault;
    bool delivered;
    std::uint8_t status;
    std::int32_t residual;
    std::size_t landed;  // bytes of the drive's data in the host buffer
    bool bricked;        // by a commit after every other chunk was read back
  };
  const Case cases[] = {
      {"clean read", std::nullopt, true, kStatusGood, 0, kChunk, false},
      {"busy", Fault::Busy(), true, kStatusBusy, kChunk, 0, true},
      {"short transfer, half", Fault::ShortTransfer(), true, kStatusGood, kChunk / 2, kChunk / 2, true},
      {"short transfer, one byte short", Fault::ShortTransfer(kChunk - 1), true, kStatusGood, 1, kChunk - 1, true},
      {"timeout after execution", Fault::TimeoutAfterExecution(), false, kStatusGood, 0, kChunk, true},
      // Delivered as far as the route goes; its time tells the device layer it came too late.
      {"GOOD answer at the timeout", Fault::AnsweredLate(), true, kStatusGood, 0, kChunk, true},
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
    cdflash::RouteCommand read{ReadBufferCdb(0, kChunk), true, host.data(), kChunk};
    const cdflash::RouteOutcome outcome = route.Execute(0, {}, read);
    EXPECT_EQ(outcome.delivered, c.delivered);
    EXPECT_EQ(outcome.completionStatus, c.status);
    EXPECT_EQ(outcome.residual, c.residual);
    EXPECT_EQ(outcome.elapsedMs >= std::uint32_t{read.timeoutSeconds} * 1000U, c.fault && c.fault->kind == Fault::Kind::AnsweredLate);
    EXPECT_TRUE(std::all_of(outcome.sense.begin(), outcome.sense.end(), [](auto b) { return b == 0; }));
    EXPECT_TRUE(std::equal(host.begin(), host.begin() + c.landed, image.begin()));
    EXPECT_TRUE(std::all_of(host.begin() + c.landed, host.end(), [](auto b) { return b == 0xEE; }));
    Commit(drive);
    EXPECT_EQ(drive.Bricked(), c.bricked);
  }

  // A BUSY write changes nothing; a short transfer leaves data-out commands alone.
  SimDrive drive;
  drive.InjectAt(0, Fault::Busy());
  drive.InjectAt(1, Fault::ShortTransfer());
  EXPECT_EQ(Write(drive, 0, Bytes(16, 0x44)).status, kStatusBusy);
  EXPECT_EQ(drive.Dram()[0], 0);
  EXPECT_EQ(Write(drive, 0, Bytes(16, 0x44)).transferred, 16);
  EXPECT_EQ(drive.Dram()[15], 0x44);
}

TEST(SimDriveTest, LogRecordsEveryCommandWithItsReply) {
  SimDrive drive;
  drive.InjectAt(2, Fault::TransportFailure());
  Write(drive, 0x10, Bytes(8, 1));
  NoData(drive, kTestUnitReady);
  NoData(drive, kTestUnitReady);
  const auto& log = drive.Log();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].command.index, 0u);
  EXPECT_EQ(log[0].command.cdb, WriteBufferCdb(0x10, 8));
  EXPECT_FALSE(log[0].command.dataIn);
  EXPECT_EQ(log[0].command.length, 8);
  EXPECT_EQ(log[0].reply.transferred, 8);
  EXPECT_EQ(log[1].reply.sense, kNoMedium);
  EXPECT_EQ(log[2].command.index, 2u);
  EXPECT_EQ(log[2].reply.transport, Transport::Failed);
}

}  // namespace
}  // namespace cdflash::sim
