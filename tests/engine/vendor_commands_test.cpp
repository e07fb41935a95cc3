// The vendor command set against a simulated drive, for what no flash run
// shows: the profile block each flash chip gets, Write E2, the commit's
// raised timeout, addresses above 24 bits, and a failed read leaving its
// destination alone. The blocks a run sends, and how each command's failure
// ends it, are the fault matrix's.

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <span>
#include <vector>

#include "flash/VendorCommands.h"
#include "package/FirmwareBlock.h"
#include "support/EngineHarness.h"

namespace cdflash {
namespace {

using Block = std::array<std::uint8_t, 12>;

// The commands over a simulated drive with a chip of `flashId`.
struct ChipMachine {
  explicit ChipMachine(std::array<std::uint8_t, 2> flashId = {0xDA, 0xC8}) {
    sim::DriveConfig config = test::AcmeDrive();
    config.flashId = flashId;
    drive = &h.AddDrive(config);
    h.Start();
    commands = std::make_unique<VendorCommands>(*h.drives->Current);
    first = drive->Log().size();
  }
  std::vector<sim::LogEntry> Sent() const {
    return {drive->Log().begin() + static_cast<std::ptrdiff_t>(first), drive->Log().end()};
  }
  test::EngineHarness h;
  sim::SimDrive* drive = nullptr;
  std::unique_ptr<VendorCommands> commands;
  std::size_t first = 0;
};

TEST(VendorCommands, AddressesAboveTwentyFourBitsAreDropped) {
  ChipMachine m;
  const std::uint8_t byte = 0x5A;
  ASSERT_TRUE(m.commands->WriteBuffer(0xAB012345, std::span(&byte, 1), 0).ok);
  EXPECT_EQ(m.drive->Dram()[0x012345], 0x5A);
}

// The commit waits for its answer longer than any other command, and only it.
TEST(VendorCommands, ARaisedTimeoutHoldsForItsScopeAlone) {
  ChipMachine m;
  const auto& timeouts = m.h.bench.platform.Route().Timeouts();
  {
    const VendorCommands::RaisedTimeout raised(*m.commands, 180);
    ASSERT_TRUE(m.commands->EntryCritical().ok);
  }
  ASSERT_TRUE(m.commands->EntryCritical().ok);
  ASSERT_GE(timeouts.size(), 2u);
  EXPECT_EQ(std::vector<std::uint16_t>(timeouts.end() - 2, timeouts.end()), (std::vector<std::uint16_t>{180, 60}));
}

TEST(VendorCommands, FailingReadBufferLeavesTheDestinationAlone) {
  ChipMachine m;
  m.drive->InjectWhen(sim::IsReadBuffer(), sim::Fault::WithSense({0x03, 0x11, 0x00}));
  std::vector<std::uint8_t> dest(0x4000, 0xA5);
  EXPECT_FALSE(m.commands->ReadBuffer(0, dest).ok);
  EXPECT_EQ(dest, std::vector<std::uint8_t>(0x4000, 0xA5));
  EXPECT_FALSE(m.commands->WroteToDrive());
}

TEST(VendorCommands, WriteE2WrapsTheAddressAndStopsAtTheFirstFailure) {
  ChipMachine m;
  const std::uint8_t values[3] = {0x11, 0x22, 0x33};
  ASSERT_TRUE(m.commands->WriteE2(values, 0xFFFF, 2).ok);
  ASSERT_EQ(m.Sent().size(), 2u);
  EXPECT_EQ(m.Sent()[0].command.cdb, (Block{0xDF, 0x0A, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0x11, 0, 0}));
  EXPECT_EQ(m.Sent()[1].command.cdb, (Block{0xDF, 0x0A, 0, 0, 0, 0, 0, 0x00, 0x00, 0x22, 0, 0}));
  EXPECT_EQ(m.drive->Eeprom().at(0xFFFF), 0x11);
  EXPECT_EQ(m.drive->Eeprom().at(0x0000), 0x22);
  EXPECT_TRUE(m.commands->WriteE2(values, 0x10, 0).ok);  // nothing to write
  EXPECT_EQ(m.Sent().size(), 2u);

  m.drive->InjectWhen(sim::NthMatch(sim::WithOpcode(0xDF), 1), sim::Fault::WithSense(sim::kInvalidField));
  EXPECT_FALSE(m.commands->WriteE2(values, 0x20, 3).ok);
  EXPECT_EQ(m.Sent().size(), 4u);  // the third byte is never sent
  // A command lost in the transport leaves no sense data, yet fails.
  m.drive->InjectAt(m.drive->CommandCount(), sim::Fault::TransportFailure());
  EXPECT_FALSE(m.commands->WriteE2(values, 0x30, 1).ok);
}

// Each flash chip's profile block: its table entry and body; any other chip
// the empty block. Which commands carry it, and its read-back, are the
// fault matrix's.
TEST(VendorCommands, EveryFlashChipGetsItsProfileBlock) {
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
    ChipMachine m(c.id);
    VendorCommands::ProfileBlock block;
    block.fill(0xCC);
    const ProfileResult profile = m.commands->SetupFlashProfile(block);
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
  }
}

}  // namespace
}  // namespace cdflash
