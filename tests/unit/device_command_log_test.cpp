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

namespace cdflash {
namespace {

using sim::Fault;

std::int32_t Send(CDDrive& drive, const CommandBytes& c, bool dataIn, std::int32_t length) {
  return drive.ExecCommand(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[9], c[10], c[11],
                           dataIn ? 1 : 0, length).value;
}

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

TEST_F(CommandLogTest, EveryCommandTheDriveSawIsKeptInOrderWithItsAnswer) {
  sim::SimDrive& simDrive = bench.platform.AddDrive();
  simDrive.InjectAt(2, Fault::WithSense(sim::kInvalidField));
  simDrive.InjectAt(3, Fault::TransportFailure());
  simDrive.InjectAt(4, Fault::Timeout());
  {
    const ScopedCommandLog scope(collector);
    CDDrive drive('0', 0, 0, 0);                                         // 0: INQUIRY
    Send(drive, StandardCommand(kOpTestUnitReady), true, 0);            // 1: no medium
    Send(drive, ReadBufferCommand(0, 64), true, 64);                    // 2: refused with sense
    Send(drive, WriteBufferCommand(0, 32, kControlData), false, 32);    // 3: lost on the way
    Send(drive, ReadFlashIdCommand(), true, 128);                       // 4: timed out
    Send(drive, ReadBufferCommand(0, 16), true, 16);                    // 5: good
  }
  const std::vector<sim::LogEntry>& seen = simDrive.Log();
  ASSERT_EQ(collector.commands.size(), seen.size());
  for (std::size_t i = 0; i < seen.size(); ++i) ExpectSame(seen[i], collector.commands[i], i);
  EXPECT_TRUE(collector.commands.back().succeeded);
  EXPECT_FALSE(collector.commands[2].succeeded);
  EXPECT_EQ(collector.commands[0].cdb[0], kOpInquiry) << "the identification is part of the record";
}

TEST_F(CommandLogTest, CommandsKeptBackAreLoggedAsNotSent) {
  sim::SimDrive& simDrive = bench.platform.AddDrive();
  simDrive.InjectWhen([](const sim::Command& c) { return IsCommitCommand(c.cdb); },
                      Fault::TimeoutAfterExecution());
  CDDrive drive('0', 0, 0, 0);
  const ScopedCommandLog scope(collector);
  const std::int32_t tooLong = CDDrive::DataBufferLength() + 1;
  EXPECT_EQ(Send(drive, ReadBufferCommand(0, 0), true, tooLong), 0);  // longer than the buffer
  EXPECT_EQ(Send(drive, StandardCommand(kOpTestUnitReady), true, -1), 0);
  Send(drive, CommitCommand(false), false, 0);                         // never answered
  EXPECT_EQ(Send(drive, StandardCommand(kOpTestUnitReady), true, 0), 0);

  ASSERT_EQ(collector.commands.size(), 4u);
  EXPECT_EQ(simDrive.Log().size(), 2u) << "only the INQUIRY and the commit reached the drive";
  EXPECT_EQ(collector.commands[0].fate, CommandFate::RefusedInvalid);
  EXPECT_EQ(collector.commands[0].length, tooLong);
  EXPECT_EQ(collector.commands[1].fate, CommandFate::RefusedInvalid);
  EXPECT_EQ(collector.commands[2].fate, CommandFate::Sent);
  EXPECT_FALSE(collector.commands[2].delivered);
  EXPECT_EQ(collector.commands[3].fate, CommandFate::RefusedCommitUnanswered);
  for (const CommandRecord& kept : collector.commands) {
    EXPECT_FALSE(kept.succeeded);
    EXPECT_EQ(kept.result, 0);
    EXPECT_NE(kept.systemError, 0u);
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
      Send(drive, StandardCommand(kOpTestUnitReady), true, 0);
    }
    EXPECT_EQ(CommandLog(), &collector);
    Send(drive, StandardCommand(kOpTestUnitReady), true, 0);
  }
  Send(drive, StandardCommand(kOpTestUnitReady), true, 0);  // no log: kept nowhere
  EXPECT_EQ(inner.commands.size(), 1u);
  EXPECT_EQ(collector.commands.size(), 1u);
}

}  // namespace
}  // namespace cdflash
