// Commands over the ASPI route and the simulator DLL, with the layer
// completing requests at once and from a thread of its own: sense bytes,
// results, and a request that never completes (timeout, abort request,
// and a layer that refuses the abort).

#include <windows.h>

#include <array>
#include <numeric>

#include "AspiRouteTest.h"

namespace cdflash::winroutes {
namespace {

class AspiCommandTest : public AspiRouteTest, public ::testing::WithParamInterface<const char*> {
 protected:
  // One drive at host adapter 0, target 1, under the completion mode of the
  // test's parameter.
  LayerDirectory& UseDrive(const std::string& layerKeys, const std::string& driveKeys) {
    return UseSimulator(std::string("[Layer]\r\nCompletion=") + GetParam() + "\r\nDelay=30\r\n" +
                        layerKeys + DriveSection(0, 0, 1, "ACME", "CRW-4012A", "1.20", driveKeys));
  }
  const char* How() const { return GetParam(); }
};

ULONGLONG Elapsed(ULONGLONG since) { return GetTickCount64() - since; }

// While the layer holds the drive's block, a command is refused at once with
// ERROR_BUSY and nothing goes out.
void ExpectHeld(CDDrive& drive, const LayerDirectory& dir) {
  const std::size_t sent = dir.Log("EXEC").size();
  const ULONGLONG start = GetTickCount64();
  EXPECT_EQ(TestUnitReady(drive), 0);
  EXPECT_LT(Elapsed(start), 500u);
  EXPECT_EQ(drive.Last().systemError, 170u);
  EXPECT_EQ(dir.Log("EXEC").size(), sent);
}

TEST_P(AspiCommandTest, RefusalsComeBackWithTheSimulatorsSenseBytes) {
  UseDrive("", "Refuse=3B 05 24 00\r\n");
  CDDrive drive(' ', 0, 1, 0);
  ASSERT_EQ(CDDrive::OpenStatus(), 0x00);
  EXPECT_EQ(WriteBuffer(drive, 0, 16), 0);
  EXPECT_TRUE(drive.Last().SenseIs(0x05, 0x24, 0x00));
  EXPECT_EQ(drive.Last().status, 0x04);  // SS_ERR
  EXPECT_FALSE(drive.Last().succeeded);
}

TEST_P(AspiCommandTest, SuccessReturnsTheTransferLengthAndMovesTheData) {
  LayerDirectory& dir = UseDrive("", "Medium=00 00 00\r\n");
  std::array<std::uint8_t, 256> buffer{};
  CDDrive drive(' ', 0, 1, 0);
  ASSERT_EQ(CDDrive::OpenStatus(), 0x00);
  CDDrive::SetDataBuffer(buffer.data(), static_cast<std::int32_t>(buffer.size()));

  EXPECT_EQ(TestUnitReady(drive), 0);  // succeeded, but no data: 0
  EXPECT_TRUE(drive.Last().succeeded);
  EXPECT_TRUE(drive.Last().SenseIs(0, 0, 0));
  EXPECT_EQ(drive.Last().status, 0x01);  // SS_COMP

  std::iota(buffer.begin(), buffer.begin() + 128, std::uint8_t{7});
  const std::array<std::uint8_t, 256> sent = buffer;
  EXPECT_EQ(WriteBuffer(drive, 0x2000, 128), 128);
  buffer.fill(0);
  EXPECT_EQ(ReadBuffer(drive, 0x2000, 128), 128);
  EXPECT_EQ(buffer, sent);

  // Every completion came the way the layer was told to complete.
  for (const LogLine& done : dir.Log("DONE")) EXPECT_EQ(done.words.back(), How());
}

TEST_P(AspiCommandTest, RequestThatNeverCompletesIsAbortedAfterTheTimeout) {
  LayerDirectory& dir = UseDrive("", "NeverComplete=3C\r\n");
  CDDrive drive(' ', 0, 1, 0);
  ASSERT_EQ(CDDrive::OpenStatus(), 0x00);
  CDDrive::SetTimeout(1);

  const ULONGLONG start = GetTickCount64();
  EXPECT_EQ(ReadBuffer(drive, 0, 64), 0);
  EXPECT_GE(Elapsed(start), 900u);
  EXPECT_LT(Elapsed(start), 10000u);
  EXPECT_FALSE(drive.Last().succeeded);
  EXPECT_EQ(drive.Last().status, 0x02);  // SS_ABORTED
  EXPECT_EQ(drive.Last().systemError, 121u);       // ERROR_SEM_TIMEOUT

  // The abort request names the pending block, and the layer ended it.
  const std::vector<LogLine> requests = dir.Log("EXEC");
  ASSERT_EQ(requests.size(), 2u);  // INQUIRY, READ BUFFER
  const std::uint64_t pending = requests[1].address;
  const std::vector<LogLine> aborts = dir.Log("ABORT");
  ASSERT_EQ(aborts.size(), 1u);
  ASSERT_EQ(aborts[0].bytes.size(), kAbortRequestLayout.size);
  EXPECT_EQ(aborts[0].bytes[0], 0x03);  // SC_ABORT_SRB
  EXPECT_EQ(aborts[0].bytes[2], 0x00);  // host adapter
  EXPECT_EQ(Pointer(aborts[0].bytes, kAbortRequestLayout.toAbort), pending);
  const std::vector<LogLine> done = dir.Log("DONE");
  ASSERT_FALSE(done.empty());
  EXPECT_EQ(done.back().address, pending);
  EXPECT_EQ(done.back().words, (std::vector<std::string>{"02", "00", "00", "00", "aborted"}));

  // Only then is the block used again, for the next command.
  EXPECT_EQ(TestUnitReady(drive), 0);
  EXPECT_TRUE(drive.Last().SenseIs(0x02, 0x3A, 0x00));
  EXPECT_EQ(dir.Log("EXEC").back().address, pending);
}

TEST_P(AspiCommandTest, RefusedAbortKeepsTheDriveBusyUntilTheLayerEndsTheRequest) {
  LayerDirectory& dir = UseDrive("Abort=ignore\r\n", "NeverComplete=3C\r\n");
  CDDrive drive(' ', 0, 1, 0);
  ASSERT_EQ(CDDrive::OpenStatus(), 0x00);
  CDDrive::SetTimeout(1);

  EXPECT_EQ(ReadBuffer(drive, 0, 64), 0);
  EXPECT_EQ(drive.Last().status, 0x00);  // still pending
  const std::size_t sent = dir.Log("EXEC").size();
  ExpectHeld(drive, dir);

  // Once the layer has ended it, the drive works again with its own block.
  EXPECT_EQ(ExpirePendingRequests(), 1);
  EXPECT_EQ(TestUnitReady(drive), 0);
  EXPECT_TRUE(drive.Last().SenseIs(0x02, 0x3A, 0x00));
  EXPECT_EQ(dir.Log("EXEC").size(), sent + 1);
  EXPECT_EQ(dir.Log("EXEC").back().address, dir.Log("EXEC").front().address);
}

// A commit that times out is never aborted (the drive may be programming
// its flash): nothing goes to the drive again, even once the layer has ended
// the request, until the program starts anew.
TEST_P(AspiCommandTest, CommitThatTimesOutIsNotAborted) {
  LayerDirectory& dir = UseDrive("", "NeverComplete=3B\r\n");
  CDDrive drive(' ', 0, 1, 0);
  ASSERT_EQ(CDDrive::OpenStatus(), 0x00);
  CDDrive::SetTimeout(1);

  EXPECT_EQ(Send(drive, CommitCommand(false), kDataIn, 0), 0);
  EXPECT_FALSE(drive.Last().succeeded);
  EXPECT_TRUE(dir.Log("ABORT").empty());
  ExpectHeld(drive, dir);
  EXPECT_EQ(ExpirePendingRequests(), 1);
  ExpectHeld(drive, dir);
}

INSTANTIATE_TEST_SUITE_P(Completion, AspiCommandTest, ::testing::Values("sync", "async"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace cdflash::winroutes
