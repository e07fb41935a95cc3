// The vendor command set against a simulated drive: the exact command blocks,
// the profile blocks, and how failures are told.

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "package/FirmwareBlock.h"
#include "support/EngineHarness.h"

namespace cdflash {
namespace {

using Block = std::array<std::uint8_t, 12>;
using test::AcmeDrive;
using test::EngineHarness;

class VendorCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    drive = &h.AddDrive();
    h.Start();
    ASSERT_NE(h.engine->Drive(), nullptr);
    first = drive->Log().size();
  }

  FlashEngine& form() { return *h.engine; }
  std::vector<sim::LogEntry> Sent() const {
    return {drive->Log().begin() + static_cast<std::ptrdiff_t>(first), drive->Log().end()};
  }
  std::vector<std::string> Messages() const { return h.observer.Messages(); }

  EngineHarness h;
  sim::SimDrive* drive = nullptr;
  std::size_t first = 0;
};

TEST_F(VendorCommands, WriteAndReadBufferBlocksAndData) {
  std::vector<std::uint8_t> chunk(0x4000);
  for (std::size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<std::uint8_t>(i * 13);
  ASSERT_TRUE(form().WriteBuffer(0x01C000, chunk.data(), 0x4000, 0));
  std::vector<std::uint8_t> back(0x4000, 0xEE);
  ASSERT_TRUE(form().ReadBuffer(0x01C000, back.data(), 0x4000));
  EXPECT_EQ(back, chunk);

  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].command.cdb, (Block{0x3B, 0x05, 0x01, 0x01, 0xC0, 0x00, 0x00, 0x40, 0x00, 0x00, 0, 0}));
  EXPECT_FALSE(sent[0].command.dataIn);
  EXPECT_EQ(sent[0].command.length, 0x4000);
  EXPECT_EQ(sent[1].command.cdb, (Block{0x3C, 0x01, 0x01, 0x01, 0xC0, 0x00, 0x00, 0x40, 0x00, 0, 0, 0}));
  EXPECT_TRUE(sent[1].command.dataIn);
  EXPECT_TRUE(h.observer.boxes.empty());
}

TEST_F(VendorCommands, FieldsAboveTwentyFourBitsAreDropped) {
  std::uint8_t byte = 0x5A;
  ASSERT_TRUE(form().WriteBuffer(0xAB012345, &byte, 1, 0));
  EXPECT_EQ(Sent().back().command.cdb,
            (Block{0x3B, 0x05, 0x01, 0x01, 0x23, 0x45, 0x00, 0x00, 0x01, 0x00, 0, 0}));
  EXPECT_EQ(drive->Dram()[0x012345], 0x5A);

  // A length beyond the transfer buffer is cut in the block and refused
  // before anything is sent.
  std::vector<std::uint8_t> big(16);
  EXPECT_FALSE(form().ReadBuffer(0, big.data(), 0x01000010));
  EXPECT_EQ(Sent().size(), 1u);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].rfind("Read Buffer> ", 0), 0u);
}

TEST_F(VendorCommands, CommitWithLengthZeroReadsNoData) {
  ASSERT_TRUE(form().EntryCritical());
  ASSERT_TRUE(form().WriteBuffer(0, nullptr, 0, 0xA0));  // no buffer at all: nothing is read
  ASSERT_EQ(Sent().size(), 2u);
  EXPECT_EQ(Sent()[1].command.cdb, (Block{0x3B, 0x05, 0x01, 0, 0, 0, 0, 0, 0, 0xA0, 0, 0}));
  EXPECT_EQ(Sent()[1].command.length, 0);
  EXPECT_EQ(drive->Commits().size(), 1u);
}

TEST_F(VendorCommands, FailingReadBufferLeavesTheDestinationAlone) {
  drive->InjectWhen(sim::IsReadBuffer(), sim::Fault::WithSense({0x03, 0x11, 0x00}));
  std::vector<std::uint8_t> dest(0x4000, 0xA5);
  EXPECT_FALSE(form().ReadBuffer(0, dest.data(), 0x4000));
  EXPECT_EQ(dest, std::vector<std::uint8_t>(0x4000, 0xA5));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "Read Buffer> 03 11 00. 02, 0000");
}

TEST_F(VendorCommands, WriteE2WrapsTheAddressAndStopsAtTheFirstFailure) {
  const std::uint8_t values[3] = {0x11, 0x22, 0x33};
  ASSERT_TRUE(form().WriteE2(values, 0xFFFF, 2));
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].command.cdb, (Block{0xDF, 0x0A, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0x11, 0, 0}));
  EXPECT_EQ(sent[1].command.cdb, (Block{0xDF, 0x0A, 0, 0, 0, 0, 0, 0x00, 0x00, 0x22, 0, 0}));
  EXPECT_EQ(sent[0].command.length, 0);
  EXPECT_EQ(drive->Eeprom().at(0xFFFF), 0x11);
  EXPECT_EQ(drive->Eeprom().at(0x0000), 0x22);

  EXPECT_TRUE(form().WriteE2(values, 0x10, 0));  // nothing to write
  EXPECT_EQ(Sent().size(), 2u);

  drive->InjectWhen(sim::NthMatch(sim::WithOpcode(0xDF), 1), sim::Fault::WithSense(sim::kInvalidField));
  EXPECT_FALSE(form().WriteE2(values, 0x20, 3));
  EXPECT_EQ(Sent().size(), 4u);  // the third byte is never sent
  EXPECT_EQ(Messages().back(), "Write E2> 05 24 00. 02, 0000");
}

TEST(VendorProfiles, KnownFlashIdsGiveTheirProfileBlocks) {
  const auto table = EmbeddedProfileTable();
  const auto pool = EmbeddedProfilePool();
  struct Case {
    std::array<std::uint8_t, 2> id;
    std::uint32_t length;
    std::size_t bodyStart;
  };
  for (const Case c : {Case{{0xDA, 0xC8}, 318, 0}, Case{{0xBF, 0xB4}, 456, 314}}) {
    EngineHarness local;
    sim::DriveConfig config = AcmeDrive();
    config.flashId = c.id;
    sim::SimDrive& d = local.AddDrive(config);
    local.Start();
    FlashEngine& f = *local.engine;
    const std::size_t before = d.Log().size();

    std::vector<std::uint8_t> block(0x4000, 0xCC);
    ASSERT_TRUE(f.SetupFlashProfile(block.data()));
    EXPECT_TRUE(f.ProfileFound());
    EXPECT_EQ(f.ProfileLength(), c.length);

    const std::size_t entry = c.bodyStart == 0 ? 0 : 4;
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + 4, table.begin() + entry));
    EXPECT_TRUE(std::equal(block.begin() + 4, block.begin() + c.length,
                           pool.begin() + c.bodyStart));

    ASSERT_EQ(d.Log().size(), before + 2);
    const auto& id = d.Log()[before].command;
    EXPECT_EQ(id.cdb, (Block{0xDF, 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(id.length, 128);
    EXPECT_TRUE(id.dataIn);
    const auto& write = d.Log()[before + 1].command;
    EXPECT_EQ(write.cdb, (Block{0x3B, 0x05, 0x01, 0x08, 0x00, 0x00, 0x00,
                                static_cast<std::uint8_t>(c.length >> 8),
                                static_cast<std::uint8_t>(c.length), 0x7F, 0, 0}));
    EXPECT_EQ(write.length, static_cast<std::int32_t>(c.length));
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + c.length,
                           d.Dram().begin() + sim::kProfileOffset));

    ASSERT_TRUE(f.ReadVerifyProfile(block.data()));
    EXPECT_EQ(d.Log().back().command.cdb,
              (Block{0x3C, 0x01, 0x01, 0x08, 0, 0, 0, static_cast<std::uint8_t>(c.length >> 8),
                     static_cast<std::uint8_t>(c.length), 0, 0, 0}));
  }
  EXPECT_EQ(table[4], 0xBF);  // entry 1 starts BF B4 01 C4
  EXPECT_EQ(table[7], 0xC4);
}

TEST(VendorProfiles, UnknownFlashIdWritesTheEmptyProfile) {
  EngineHarness local;
  sim::DriveConfig config = AcmeDrive();
  config.flashId = {0x12, 0x34};
  sim::SimDrive& d = local.AddDrive(config);
  local.Start();
  std::vector<std::uint8_t> block(0x4000, 0xCC);
  ASSERT_TRUE(local.engine->SetupFlashProfile(block.data()));
  EXPECT_FALSE(local.engine->ProfileFound());
  EXPECT_EQ(local.engine->ProfileLength(), 4u);
  EXPECT_EQ(std::vector<std::uint8_t>(block.begin(), block.begin() + 5),
            (std::vector<std::uint8_t>{0xFF, 0xFF, 0x00, 0x00, 0xCC}));
  EXPECT_EQ(d.Log().back().command.length, 4);
}

TEST_F(VendorCommands, ProfileReadBackComparesExactlyItsLength) {
  std::vector<std::uint8_t> block(0x4000);
  ASSERT_TRUE(form().SetupFlashProfile(block.data()));
  ASSERT_EQ(form().ProfileLength(), 318u);
  std::vector<std::uint8_t> expected(block.begin(), block.begin() + 318);
  expected.resize(0x4000, 0x99);  // bytes past the profile never take part
  EXPECT_TRUE(form().ReadVerifyProfile(expected.data()));

  drive->InjectWhen(sim::IsReadBuffer(), sim::Fault::CorruptReadBack(317));
  EXPECT_FALSE(form().ReadVerifyProfile(expected.data()));
  EXPECT_EQ(Messages(), std::vector<std::string>{"Compared profile error!"});
}

TEST_F(VendorCommands, FailedFlashIdSendsNoProfileAndKeepsTheState) {
  drive->InjectWhen(sim::WithOpcode(0xDF), sim::Fault::WithSense(sim::kInvalidOpcode));
  std::vector<std::uint8_t> block(0x4000);
  EXPECT_FALSE(form().SetupFlashProfile(block.data()));
  EXPECT_EQ(Sent().size(), 1u);
  EXPECT_EQ(form().ProfileLength(), 0u);
  EXPECT_FALSE(form().ProfileFound());
  EXPECT_EQ(Messages(), std::vector<std::string>{"Read Flash ID> 05 20 00. 02, 0000"});
}

TEST_F(VendorCommands, EntryCriticalBlock) {
  ASSERT_TRUE(form().EntryCritical());
  EXPECT_EQ(Sent().back().command.cdb, (Block{0x3B, 0x05, 0x01, 0, 0, 0, 0, 0, 0, 0x7F, 0, 0}));
  EXPECT_TRUE(drive->InCriticalState());
}

TEST_F(VendorCommands, CleanSenseWithNonZeroQualifierStillFails) {
  drive->InjectWhen(sim::IsEntryCritical(), sim::Fault::WithSense({0x00, 0x00, 0x01}));
  EXPECT_FALSE(form().EntryCritical());
  EXPECT_EQ(Messages().back().rfind("Entry critical> 00 00 01.", 0), 0u);
}

// A command lost in the transport leaves no sense data; it must fail all the
// same, or a read-back could "verify" a chunk that never came from the drive.
TEST_F(VendorCommands, TransportFailureWithoutSenseFailsEveryCommand) {
  std::vector<std::uint8_t> data(0x4000, 0x42);
  std::vector<std::uint8_t> block(0x4000);
  const std::uint8_t e2 = 1;
  struct Step {
    const char* prefix;
    std::function<bool()> run;
  };
  const Step steps[] = {
      {"Write Buffer> ", [&] { return form().WriteBuffer(0, data.data(), 0x4000, 0); }},
      {"Read Buffer> ", [&] { return form().ReadBuffer(0, data.data(), 0x4000); }},
      {"Write E2> ", [&] { return form().WriteE2(&e2, 0, 1); }},
      {"Read Flash ID> ", [&] { return form().SetupFlashProfile(block.data()); }},
      {"Entry critical> ", [&] { return form().EntryCritical(); }},
      {"Read Profile> ", [&] { return form().ReadVerifyProfile(block.data()); }},
  };
  for (const Step& step : steps) {
    const std::size_t next = drive->CommandCount();
    drive->InjectAt(next, sim::Fault::TransportFailure());
    EXPECT_FALSE(step.run()) << step.prefix;
    ASSERT_FALSE(Messages().empty());
    EXPECT_EQ(Messages().back().rfind(step.prefix, 0), 0u) << Messages().back();
    EXPECT_FALSE(h.engine->Drive()->LastCommandSucceeded());
    EXPECT_TRUE(h.engine->Drive()->SenseMatches(0, 0, 0)) << "no sense data was left";
  }
  // The second command of the profile set-up fails the same way.
  drive->InjectWhen(sim::NthMatch(sim::WithOpcode(0x3B), 0), sim::Fault::TransportFailure());
  EXPECT_FALSE(form().SetupFlashProfile(block.data()));
  EXPECT_EQ(Messages().back().rfind("Write Profile> ", 0), 0u);
}

}  // namespace
}  // namespace cdflash
