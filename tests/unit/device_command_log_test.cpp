// The command log: every command a drive object is asked to send reaches the
// log set at the time, with what the simulated drive saw and answered,
// command for command, including those the device layer kept back.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SimBench.h"
#include "device/Cddrive.h"
#include "device/CommandLog.h"
#include "device/ScsiCommands.h"
#include "support/ThinFace.h"

namespace cdflash {
namespace {

using sim::Fault;

using test::kDataIn, test::kDataOut, test::Send;

class CommandLogTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(CommandLog(), nullptr) << "a log was left set"; }
  sim::SimBench bench;
  CommandCollector collector;
};

// What the drive saw of a command, against what the log kept of it.
void ExpectSame(const sim::LogEntry& seen, const CommandRecord& kept, std::size_t i) {
  SCOPED_TRACE("command " + std::to_string(i));
  EXPECT_EQ(kept.fate, CommandFate::Sent);
  EXPECT_EQ(kept.cdb, seen.command.cdb);
  EXPECT_EQ(kept.dataIn, seen.command.dataIn);
  EXPECT_EQ(kept.length, seen.command.length);
  const bool answered = seen.reply.transport == sim::Transport::Completed;
  EXPECT_EQ(kept.delivered, answered);
  if (answered) {
    EXPECT_EQ(kept.status, seen.reply.status);
    // Fixed-format sense: key at byte 2, ASC and ASCQ at 12 and 13.
    EXPECT_EQ(kept.sense[2], seen.reply.sense.key);
    EXPECT_EQ(kept.sense[12], seen.reply.sense.asc);
    EXPECT_EQ(kept.sense[13], seen.reply.sense.ascq);
  } else {
    EXPECT_NE(kept.systemError, 0u);
  }
  EXPECT_GE(kept.durationUs, 0);
  EXPECT_GT(kept.timeMs, 1600000000000) << "a wall-clock time, not a monotonic one";
}

TEST_F(CommandLogTest, EveryCommandIsKeptInOrderWithItsAnswerOrWhyItWasKeptBack) {
  sim::SimDrive& simDrive = bench.platform.AddDrive();
  simDrive.InjectAt(2, Fault::WithSense(sim::kInvalidField));
  simDrive.InjectAt(3, Fault::TransportFailure());
  simDrive.InjectAt(4, Fault::Timeout());
  simDrive.InjectWhen([](const sim::Command& c) { return IsCommitCommand(c.cdb); }, Fault::TimeoutAfterExecution());
  std::int32_t tooLong = 0;
  {
    const ScopedCommandLog scope(collector);
    CDDrive drive('0', 0, 0, 0);                                             // 0: INQUIRY
    tooLong = CDDrive::DataBufferLength() + 1;
    Send(drive, StandardCommand(kOpTestUnitReady), kDataIn, 0);              // 1: no medium
    Send(drive, ReadBufferCommand(0, 64), kDataIn, 64);                      // 2: refused with sense
    Send(drive, WriteBufferCommand(0, 32, kControlData), kDataOut, 32);      // 3: lost on the way
    Send(drive, ReadFlashIdCommand(), kDataIn, 128);                         // 4: timed out
    Send(drive, ReadBufferCommand(0, 16), kDataIn, 16);                      // 5: good
    Send(drive, ReadBufferCommand(0, 0), kDataIn, tooLong);                  // 6: longer than the buffer
    Send(drive, StandardCommand(kOpTestUnitReady), kDataIn, -1);             // 7: a negative length
    Send(drive, CommitCommand(false), kDataOut, 0);                          // 8: never answered
    Send(drive, StandardCommand(kOpTestUnitReady), kDataIn, 0);              // 9: after that commit
  }
  const std::vector<sim::LogEntry>& seen = simDrive.Log();
  const std::vector<CommandRecord>& kept = collector.commands;
  ASSERT_EQ(kept.size(), 10u);
  ASSERT_EQ(seen.size(), 7u) << "what was kept back never reached the drive";
  for (std::size_t i = 0; i < 6; ++i) ExpectSame(seen[i], kept[i], i);
  ExpectSame(seen[6], kept[8], 8);
  EXPECT_TRUE(kept[5].succeeded);
  EXPECT_FALSE(kept[2].succeeded);
  EXPECT_EQ(kept[0].cdb[0], kOpInquiry) << "the identification is part of the record";
  EXPECT_EQ(kept[6].length, tooLong);
  const CommandFate fates[] = {CommandFate::RefusedInvalid, CommandFate::RefusedInvalid, CommandFate::Sent,
                               CommandFate::RefusedCommitUnanswered};
  for (std::size_t i = 6; i < kept.size(); ++i) {
    EXPECT_EQ(kept[i].fate, fates[i - 6]) << i;
    EXPECT_FALSE(kept[i].succeeded) << i;
    EXPECT_EQ(kept[i].result, 0) << i;
    EXPECT_NE(kept[i].systemError, 0u) << i;
  }
}

TEST_F(CommandLogTest, TheLogSetLastReceivesAndTheOneBeforeComesBack) {
  bench.platform.AddDrive();
  CDDrive drive('0', 0, 0, 0);
  CommandCollector inner;
  {
    const ScopedCommandLog outerScope(collector);
    {
      const ScopedCommandLog innerScope(inner);
      Send(drive, StandardCommand(kOpTestUnitReady), kDataIn, 0);
    }
    EXPECT_EQ(CommandLog(), &collector);
    Send(drive, StandardCommand(kOpTestUnitReady), kDataIn, 0);
  }
  Send(drive, StandardCommand(kOpTestUnitReady), kDataIn, 0);  // no log: kept nowhere
  EXPECT_EQ(inner.commands.size(), 1u);
  EXPECT_EQ(collector.commands.size(), 1u);
}

}  // namespace
}  // namespace cdflash
