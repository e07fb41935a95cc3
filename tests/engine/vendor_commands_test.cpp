// The vendor command set against a simulated drive: the exact command blocks,
// the profile blocks, and what each command reports of how it went.

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "flash/VendorCommands.h"
#include "package/FirmwareBlock.h"
#include "support/EngineHarness.h"

namespace cdflash {
namespace {

using Block = std::array<std::uint8_t, 12>;
using test::AcmeDrive;
using test::EngineHarness;

// The commands over a simulated drive with a chip of `flashId`; Start()
// again replaces the machine (one at a time).
class VendorCommandsTest : public ::testing::Test {
 protected:
  struct Machine {
    explicit Machine(std::array<std::uint8_t, 2> flashId) {
      sim::DriveConfig config = AcmeDrive();
      config.flashId = flashId;
      drive = &h.AddDrive(config);
      h.Start();
      commands = std::make_unique<VendorCommands>(*h.drives->Current);
      first = drive->Log().size();
    }
    EngineHarness h;
    sim::SimDrive* drive = nullptr;
    std::unique_ptr<VendorCommands> commands;
    std::size_t first = 0;
  };

  void Start(std::array<std::uint8_t, 2> flashId = {0xDA, 0xC8}) {
    m.reset();
    m = std::make_unique<Machine>(flashId);
    drive = m->drive;
    commands = m->commands.get();
  }
  void SetUp() override { Start(); }
  std::vector<sim::LogEntry> Sent() const {
    return {drive->Log().begin() + static_cast<std::ptrdiff_t>(m->first), drive->Log().end()};
  }

  std::unique_ptr<Machine> m;
  sim::SimDrive* drive = nullptr;
  VendorCommands* commands = nullptr;
};

TEST_F(VendorCommandsTest, BlocksFieldsAndData) {
  std::vector<std::uint8_t> chunk(0x4000);
  for (std::size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<std::uint8_t>(i * 13);
  ASSERT_TRUE(commands->WriteBuffer(0x01C000, chunk, 0).ok);
  std::vector<std::uint8_t> back(0x4000, 0xEE);
  ASSERT_TRUE(commands->ReadBuffer(0x01C000, back).ok);
  EXPECT_EQ(back, chunk);
  // Fields above 24 bits are dropped.
  const std::uint8_t byte = 0x5A;
  ASSERT_TRUE(commands->WriteBuffer(0xAB012345, std::span(&byte, 1), 0).ok);
  EXPECT_EQ(drive->Dram()[0x012345], 0x5A);
  // The commit: no data phase.
  ASSERT_TRUE(commands->EntryCritical().ok);
  ASSERT_TRUE(commands->WriteBuffer(0, {}, 0xA0).ok);
  EXPECT_EQ(drive->Commits().size(), 1u);

  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 5u);
  EXPECT_EQ(sent[0].command.cdb, (Block{0x3B, 0x05, 0x01, 0x01, 0xC0, 0x00, 0x00, 0x40, 0x00, 0x00, 0, 0}));
  EXPECT_FALSE(sent[0].command.dataIn);
  EXPECT_EQ(sent[1].command.cdb, (Block{0x3C, 0x01, 0x01, 0x01, 0xC0, 0x00, 0x00, 0x40, 0x00, 0, 0, 0}));
  EXPECT_TRUE(sent[1].command.dataIn);
  EXPECT_EQ(sent[2].command.cdb, (Block{0x3B, 0x05, 0x01, 0x01, 0x23, 0x45, 0x00, 0x00, 0x01, 0x00, 0, 0}));
  EXPECT_EQ(sent[3].command.cdb, (Block{0x3B, 0x05, 0x01, 0, 0, 0, 0, 0, 0, 0x7F, 0, 0}));
  EXPECT_EQ(sent[4].command.cdb, (Block{0x3B, 0x05, 0x01, 0, 0, 0, 0, 0, 0, 0xA0, 0, 0}));
  EXPECT_EQ(sent[4].command.length, 0);
  EXPECT_TRUE(commands->WroteToDrive());
}

// The commit waits for its answer longer than any other command, and only it.
TEST_F(VendorCommandsTest, ARaisedTimeoutHoldsForItsScopeAlone) {
  const auto& timeouts = m->h.bench.platform.Route().Timeouts();
  {
    const VendorCommands::RaisedTimeout raised(*commands, 180);
    ASSERT_TRUE(commands->EntryCritical().ok);
  }
  ASSERT_TRUE(commands->EntryCritical().ok);
  ASSERT_GE(timeouts.size(), 2u);
  EXPECT_EQ(std::vector<std::uint16_t>(timeouts.end() - 2, timeouts.end()), (std::vector<std::uint16_t>{180, 60}));
}

TEST_F(VendorCommandsTest, FailingReadBufferLeavesTheDestinationAlone) {
  drive->InjectWhen(sim::IsReadBuffer(), sim::Fault::WithSense({0x03, 0x11, 0x00}));
  std::vector<std::uint8_t> dest(0x4000, 0xA5);
  const CommandResult result = commands->ReadBuffer(0, dest);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.SenseText(), "03 11 00. 02, 0000");
  EXPECT_EQ(dest, std::vector<std::uint8_t>(0x4000, 0xA5));
  EXPECT_FALSE(commands->WroteToDrive());
}

TEST_F(VendorCommandsTest, WriteE2WrapsTheAddressAndStopsAtTheFirstFailure) {
  const std::uint8_t values[3] = {0x11, 0x22, 0x33};
  ASSERT_TRUE(commands->WriteE2(values, 0xFFFF, 2).ok);
  ASSERT_EQ(Sent().size(), 2u);
  EXPECT_EQ(Sent()[0].command.cdb, (Block{0xDF, 0x0A, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0x11, 0, 0}));
  EXPECT_EQ(Sent()[1].command.cdb, (Block{0xDF, 0x0A, 0, 0, 0, 0, 0, 0x00, 0x00, 0x22, 0, 0}));
  EXPECT_EQ(drive->Eeprom().at(0xFFFF), 0x11);
  EXPECT_EQ(drive->Eeprom().at(0x0000), 0x22);
  EXPECT_TRUE(commands->WriteE2(values, 0x10, 0).ok);  // nothing to write
  EXPECT_EQ(Sent().size(), 2u);

  drive->InjectWhen(sim::NthMatch(sim::WithOpcode(0xDF), 1), sim::Fault::WithSense(sim::kInvalidField));
  const CommandResult failed = commands->WriteE2(values, 0x20, 3);
  EXPECT_FALSE(failed.ok);
  EXPECT_EQ(failed.SenseText(), "05 24 00. 02, 0000");
  EXPECT_EQ(Sent().size(), 4u);  // the third byte is never sent
}

// Each flash chip's profile block: table entry and body, read back and
// compared over exactly its length; any other chip the empty block.
TEST_F(VendorCommandsTest, EveryFlashChipGetsItsProfileBlock) {
  const auto table = EmbeddedProfileTable();
  const auto pool = EmbeddedProfilePool();
  struct Case {
    std::array<std::uint8_t, 2> id;
    bool found;
    std::uint32_t length;
    std::size_t entry, bodyStart;
  };
  for (const Case c : {Case{{0xDA, 0xC8}, true, 318, 0, 0}, Case{{0xBF, 0xB4}, true, 456, 4, 314},
                       Case{{0x12, 0x34}, false, 4, 0, 0}}) {
    SCOPED_TRACE(c.length);
    Start(c.id);
    VendorCommands::ProfileBlock block;
    block.fill(0xCC);
    const ProfileResult profile = commands->SetupFlashProfile(block);
    ASSERT_TRUE(profile.command.ok);
    EXPECT_EQ(profile.found, c.found);
    EXPECT_EQ(profile.length, c.length);
    if (c.found) {
      EXPECT_TRUE(std::equal(block.begin(), block.begin() + 4, table.begin() + c.entry));
      EXPECT_TRUE(std::equal(block.begin() + 4, block.begin() + c.length, pool.begin() + c.bodyStart));
    } else {
      EXPECT_EQ(std::vector<std::uint8_t>(block.begin(), block.begin() + 5),
                (std::vector<std::uint8_t>{0xFF, 0xFF, 0x00, 0x00, 0xCC}));
    }
    ASSERT_EQ(Sent().size(), 2u);
    EXPECT_EQ(Sent()[0].command.cdb, (Block{0xDF, 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Sent()[0].command.length, 128);
    EXPECT_EQ(Sent()[1].command.cdb, (Block{0x3B, 0x05, 0x01, 0x08, 0x00, 0x00, 0x00,
                                            static_cast<std::uint8_t>(c.length >> 8),
                                            static_cast<std::uint8_t>(c.length), 0x7F, 0, 0}));
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + c.length, drive->Dram().begin() + sim::kProfileOffset));

    const std::vector<std::uint8_t> expected(block.begin(), block.begin() + c.length);
    const VerifyResult verify = commands->ReadBackProfile(expected);
    EXPECT_TRUE(verify.command.ok && verify.equal);
    EXPECT_EQ(Sent().back().command.cdb[0], 0x3C);
    drive->InjectWhen(sim::IsReadBuffer(), sim::Fault::CorruptReadBack(c.length - 1));
    EXPECT_FALSE(commands->ReadBackProfile(expected).equal);
  }
}

TEST_F(VendorCommandsTest, FailedFlashIdSendsNoProfile) {
  drive->InjectWhen(sim::WithOpcode(0xDF), sim::Fault::WithSense(sim::kInvalidOpcode));
  VendorCommands::ProfileBlock block{};
  const ProfileResult profile = commands->SetupFlashProfile(block);
  EXPECT_FALSE(profile.command.ok);
  EXPECT_TRUE(profile.readingId);
  EXPECT_EQ(profile.command.SenseText(), "05 20 00. 02, 0000");
  EXPECT_EQ(Sent().size(), 1u);
  EXPECT_FALSE(commands->WroteToDrive());
}

// Only an all-zero sense triple of a delivered command is success: a
// qualifier alone fails, and a command lost in the transport, which leaves
// no sense data, fails too, or a read-back could "verify" a chunk that never
// came from the drive.
TEST_F(VendorCommandsTest, OnlyACleanDeliveredCommandSucceeds) {
  drive->InjectWhen(sim::IsEntryCritical(), sim::Fault::WithSense({0x00, 0x00, 0x01}));
  EXPECT_EQ(commands->EntryCritical().SenseText().rfind("00 00 01.", 0), 0u);

  std::vector<std::uint8_t> data(0x4000, 0x42);
  VendorCommands::ProfileBlock block{};
  const std::uint8_t e2 = 1;
  const std::function<CommandResult()> steps[] = {
      [&] { return commands->WriteBuffer(0, data, 0); },
      [&] { return commands->ReadBuffer(0, data); },
      [&] { return commands->WriteE2(&e2, 0, 1); },
      [&] { return commands->SetupFlashProfile(block).command; },
      [&] { return commands->EntryCritical(); },
      [&] { return commands->ReadBackProfile(std::span(block).first(4)).command; },
  };
  for (const auto& step : steps) {
    drive->InjectAt(drive->CommandCount(), sim::Fault::TransportFailure());
    const CommandResult result = step();
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.answer.SenseIs(0, 0, 0)) << "no sense data was left";
  }
  // The second command of the profile set-up fails the same way.
  drive->InjectWhen(sim::NthMatch(sim::WithOpcode(0x3B), 0), sim::Fault::TransportFailure());
  const ProfileResult profile = commands->SetupFlashProfile(block);
  EXPECT_FALSE(profile.command.ok);
  EXPECT_FALSE(profile.readingId);
}

}  // namespace
}  // namespace cdflash
