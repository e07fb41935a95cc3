// The whole update of a simulated drive, and every way it can stop.

#include <gtest/gtest.h>

#include <algorithm>

#include "device/Cddrives.h"
#include "support/FlashModeHarness.h"

namespace cdflash {
namespace {

using test::AcmeDrive;
using test::FlashModeHarness;
using test::TestPackage;

const std::vector<std::string> kFourBankPhases = {
    "Write BIN to drive's DRAM... ", "Drive entry critical... ",
    "Read back and Verify drive's DRAM... ", "Don't turn off the system, Flash is in progress...",
    "Flash Completed."};

// An image whose bytes differ from chunk to chunk, with its revision where
// the drive takes it from at the commit.
TestPackage ImagePackage(bool fiveBank = false) {
  TestPackage p = test::AcmePackage();
  for (std::size_t i = 0; i < kSlotSize; ++i) {
    p.SetSlotByte(i, static_cast<std::uint8_t>((i * 31 + i / 0x4000) & 0xFF));
  }
  p.SetSlot(sim::kRevisionOffset, "1.60");
  if (fiveBank) {
    p.SetSlotByte(0x4000, 0).SetSlotByte(0x1100, 0x05).SetSlotByte(0x1101, 0x80);
  } else {
    p.SetSlotByte(0x4000, 0x05).SetSlotByte(0x4001, 0x80);
  }
  return p;
}

class FlashProcedure : public ::testing::Test {
 protected:
  void Start(TestPackage package = ImagePackage(), sim::DriveConfig config = AcmeDrive("1.20")) {
    h.reset();  // one simulated machine at a time
    h = std::make_unique<FlashModeHarness>(std::move(package));
    drive = &h->bench.platform.AddDrive(config);
    h->Create();
    ASSERT_EQ(h->ui->combo.Count(), 1);
    startLog = drive->Log().size();
  }
  // Clicks FLASH, answering the boxes that ask with `answers`.
  void Click(std::deque<Answer> answers = {Answer::Yes, Answer::No}) {
    h->ui->dialogs.answers = std::move(answers);
    h->ui->dialogs.shown.clear();
    h->ui->groupBox.repaintedCaptions.clear();
    h->ui->form.FlashButtonClick(&h->ui->button);
  }
  std::vector<sim::LogEntry> Sent() const {
    return {drive->Log().begin() + static_cast<std::ptrdiff_t>(startLog), drive->Log().end()};
  }
  std::size_t CountOpcode(std::uint8_t op) const {
    const auto sent = Sent();
    return static_cast<std::size_t>(std::count_if(
        sent.begin(), sent.end(), [&](const sim::LogEntry& e) { return e.command.cdb[0] == op; }));
  }
  bool WroteAnything() const {
    const auto sent = Sent();
    return std::any_of(sent.begin(), sent.end(), [](const sim::LogEntry& e) {
      return e.command.cdb[0] == 0x3B || e.command.cdb[0] == 0xDF;
    });
  }
  test::FormHarness& ui() { return *h->ui; }

  std::unique_ptr<FlashModeHarness> h;
  sim::SimDrive* drive = nullptr;
  std::size_t startLog = 0;
};

TEST_F(FlashProcedure, FourBankImageIsDownloadedVerifiedAndCommitted) {
  Start();
  Click();
  EXPECT_EQ(ui().groupBox.repaintedCaptions, kFourBankPhases);
  ASSERT_EQ(drive->Commits().size(), 1u);
  EXPECT_EQ(drive->Commits()[0].control, 0x80);
  EXPECT_FALSE(drive->Bricked());
  EXPECT_TRUE(std::equal(drive->Flash().begin(), drive->Flash().begin() + 0x40000,
                         h->package.View().Slot().begin()));
  EXPECT_EQ(drive->Revision(), "1.60");

  // The preparation commands, in order, before the first write.
  const auto sent = Sent();
  ASSERT_GE(sent.size(), 4u);
  EXPECT_EQ(sent[0].command.cdb, (std::array<std::uint8_t, 12>{0x1B, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(sent[1].command.cdb[0], 0x00);
  EXPECT_EQ(sent[2].command.cdb[0], 0x4E);
  EXPECT_EQ(sent[3].command.cdb, (std::array<std::uint8_t, 12>{0x1B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(CountOpcode(0xDF), 0u);  // no profile for a four-bank image
  EXPECT_EQ(CountOpcode(0x3C), 16u);

  // The list shows the drive's new identity; the restart was declined.
  EXPECT_EQ(ui().combo.items, std::vector<std::string>{"0-0-0 0: ACME    CRW-4012A       1.60"});
  EXPECT_EQ(ui().combo.ItemIndex(), 0);
  EXPECT_EQ(ui().groupBox.caption, "Flash Completed.");
  EXPECT_EQ(ui().progress.Position(), 0);
  EXPECT_EQ(ui().system.restarts, 0);
  EXPECT_EQ(ui().cursor.log.back(), "default");
  EXPECT_EQ(CDDrive::Timeout(), 60);
  ASSERT_EQ(ui().dialogs.shown.size(), 2u);
  EXPECT_EQ(ui().dialogs.shown[0].kind, "ConfirmYesNo");
  EXPECT_EQ(ui().dialogs.shown[0].text, "\nUpdate FW:1.20 to FW:1.60 ?\n");
  EXPECT_EQ(ui().dialogs.shown[1].text,
            "The system needs to be restarted for the changes to take effect(inquiry stream) ?");
  EXPECT_EQ(ui().system.sleeps, (std::vector<unsigned>{30, 200}));
  // The window refused to close while the run was in progress, and its
  // controls are as they were before.
  EXPECT_EQ(ui().window.closeBlocked, (std::vector<bool>{true, false}));
  EXPECT_TRUE(ui().button.enabled);
  EXPECT_TRUE(ui().combo.enabled);
}

TEST_F(FlashProcedure, AcceptedRestartIsRequestedAndClearsTheCaption) {
  Start();
  // Sleep and shutdown are blocked from before the first write until the
  // drive is done with, and released before the restart is asked for.
  bool wroteBeforeBlock = true;
  ui().system.onEvent = [&](const std::string& event) {
    if (event.rfind("block", 0) == 0) wroteBeforeBlock = WroteAnything();
  };
  Click({Answer::Yes, Answer::Yes});
  EXPECT_EQ(ui().system.restarts, 1);
  EXPECT_EQ(ui().groupBox.caption, "");
  EXPECT_FALSE(wroteBeforeBlock);
  EXPECT_EQ(ui().system.events,
            (std::vector<std::string>{
                "block: Updating the firmware of the drive 0-0-0 0: ACME    CRW-4012A       1.20",
                "unblock", "restart"}));
}

TEST_F(FlashProcedure, RefusedRestartTellsTheUserToRestartByHand) {
  Start();
  ui().system.restartResult = {false, "not allowed"};
  Click({Answer::Yes, Answer::Yes});
  EXPECT_EQ(ui().system.restarts, 1);
  EXPECT_EQ(ui().groupBox.caption, "Flash Completed.");
  ASSERT_EQ(ui().dialogs.shown.size(), 3u);
  EXPECT_EQ(ui().dialogs.shown[2].text.rfind("The system could not be restarted: not allowed.", 0), 0u);
}

TEST_F(FlashProcedure, FailedRunReleasesTheSleepBlock) {
  Start();
  drive->InjectWhen(sim::IsEntryCritical(), sim::Fault::WithSense(sim::kInvalidField));
  Click();
  ASSERT_EQ(ui().system.events.size(), 2u);
  EXPECT_EQ(ui().system.events[1], "unblock");
}

TEST_F(FlashProcedure, FiveBankImageSendsAndVerifiesTheProfileFirst) {
  Start(ImagePackage(true));
  Click();
  EXPECT_EQ(ui().groupBox.repaintedCaptions.front(), "Write profile to drive's DRAM... ");
  EXPECT_EQ(CountOpcode(0x3C), 21u);  // the profile and 20 chunks
  EXPECT_FALSE(drive->Bricked());
  EXPECT_TRUE(std::equal(drive->Flash().begin(), drive->Flash().begin() + 0x50000,
                         h->package.View().Slot().begin()));
}

TEST_F(FlashProcedure, UnknownFlashChipWritesTheEmptyProfileAndReadsItBack) {
  sim::DriveConfig config = AcmeDrive("1.20");
  config.flashId = {0x01, 0x02};
  Start(ImagePackage(true), config);
  Click();
  EXPECT_EQ(CountOpcode(0x3C), 21u);
  EXPECT_EQ(ui().groupBox.caption, "Flash Completed.");
  EXPECT_FALSE(drive->Bricked());
}

TEST_F(FlashProcedure, FlashAllNoteSelectsTheOtherCommit) {
  TestPackage p = ImagePackage();
  p.Note("FLASH-ALL please");
  Start(p);
  Click();
  ASSERT_EQ(drive->Commits().size(), 1u);
  EXPECT_EQ(drive->Commits()[0].control, 0xA0);
}

TEST_F(FlashProcedure, RevisionChecksBeforeAnythingIsSent) {
  // Already up to date (equal revision) with a ranged package.
  TestPackage p = ImagePackage();
  p.FwRange("1.00-1.70");
  Start(p, AcmeDrive("1.60"));
  Click({});
  ASSERT_EQ(ui().dialogs.shown.size(), 1u);
  EXPECT_EQ(ui().dialogs.shown[0].kind, "WarningOk");
  EXPECT_EQ(ui().dialogs.shown[0].text, "\nWARNING:\n\nYour drive FW:1.60 is aready the most updated ?");
  EXPECT_TRUE(Sent().empty());
  EXPECT_TRUE(ui().cursor.log.empty());

  // Any revision: an equal drive is asked normally, a newer one in a warning box.
  TestPackage any = ImagePackage();
  any.FwRange("----------");
  Start(any, AcmeDrive("1.60"));
  Click({Answer::No});
  EXPECT_EQ(ui().dialogs.shown[0].kind, "ConfirmYesNo");
  EXPECT_TRUE(Sent().empty());
  Start(any, AcmeDrive("1.7A"));
  Click({Answer::Closed});
  EXPECT_EQ(ui().dialogs.shown[0].kind, "WarningYesNo");
  EXPECT_EQ(ui().dialogs.shown[0].text, "\nUpdate FW:1.7A to FW:1.60 ?\n");
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(ui().groupBox.caption, "");
}

TEST_F(FlashProcedure, DiscInTheDriveStopsTheRun) {
  sim::DriveConfig config = AcmeDrive("1.20");
  config.mediumScript = {sim::kBecomingReady, sim::kBecomingReady, sim::kGood};
  Start(ImagePackage(), config);
  Click();
  ASSERT_EQ(ui().dialogs.shown.size(), 2u);
  EXPECT_EQ(ui().dialogs.shown[1].kind, "Message");
  EXPECT_EQ(ui().dialogs.shown[1].text, "Remove disc, before to do the flash task.");
  EXPECT_FALSE(WroteAnything());
  EXPECT_EQ(ui().progress.Position(), 0);
  EXPECT_TRUE(ui().cursor.log.empty());
}

TEST_F(FlashProcedure, QuietDriveIsFlashedAfterTenPasses) {
  sim::DriveConfig config = AcmeDrive("1.20");
  config.mediumScript = {sim::Sense{0x06, 0x29, 0x00}};  // unit attention, never "no medium"
  Start(ImagePackage(), config);
  Click();
  EXPECT_EQ(CountOpcode(0x00), 10u);
  EXPECT_EQ(ui().groupBox.caption, "Flash Completed.");
}

TEST_F(FlashProcedure, DriveThatStaysBecomingReadyStopsTheRunBeforeAnyWrite) {
  sim::DriveConfig config = AcmeDrive("1.20");
  config.mediumScript = {sim::kBecomingReady};
  Start(ImagePackage(), config);
  Click();
  EXPECT_FALSE(WroteAnything());
  EXPECT_LE(ui().system.clock, std::chrono::milliseconds(60000 + 30));
  ASSERT_EQ(ui().dialogs.shown.size(), 2u);
  EXPECT_EQ(ui().dialogs.shown[1].text.rfind("The drive did not become ready", 0), 0u);
  EXPECT_EQ(ui().groupBox.caption, "");
  EXPECT_TRUE(ui().cursor.log.empty());
}

// A disc test the drive never answers itself (BUSY, lost on the way) tells
// nothing of the disc: the poll goes on until its bound and nothing is
// written; a drive gone from the system stops the run at once.
TEST_F(FlashProcedure, DiscTestsWithoutAnAnswerNeverLeadToAWrite) {
  struct Case {
    const char* name;
    sim::Fault fault;
    std::string message;
    bool waitsForTheBound;
  };
  const Case cases[] = {
      {"lost in the transport", sim::Fault::TransportFailure(), "The drive did not become ready", true},
      {"busy", sim::Fault::Busy(), "The drive did not become ready", true},
      {"device gone", sim::Fault::DeviceGone(), "Test Unit Ready> ", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start();
    drive->InjectWhen(sim::WithOpcode(0x00), c.fault, sim::FaultPlan::kAlways);
    Click();
    EXPECT_FALSE(WroteAnything());
    ASSERT_EQ(ui().dialogs.shown.size(), 2u);
    EXPECT_EQ(ui().dialogs.shown[1].text.rfind(c.message, 0), 0u) << ui().dialogs.shown[1].text;
    EXPECT_EQ(ui().system.clock >= std::chrono::milliseconds(60000), c.waitsForTheBound);
  }
}

struct FailureCase {
  const char* name;
  std::function<void(sim::SimDrive&)> inject;
  std::string caption;
  std::vector<std::string> messagePrefixes;
};

TEST_F(FlashProcedure, EveryFailureEndsTheRunWithItsCaptionAndNoCommit) {
  const FailureCase cases[] = {
      {"third chunk refused",
       [](sim::SimDrive& d) {
         d.InjectWhen(sim::NthMatch(sim::IsWriteBufferData(), 2), sim::Fault::WithSense({0x04, 0x08, 0x00}));
       },
       "Write BIN to drive's DRAM... , Fail! ", {"Write Buffer> 04 08 00. 02, 0000"}},
      {"entry critical refused",
       [](sim::SimDrive& d) { d.InjectWhen(sim::IsEntryCritical(), sim::Fault::WithSense(sim::kInvalidField)); },
       "Drive entry critical... , Fail! ", {"Entry critical> 05 24 00. 02, 0000"}},
      {"read-back lost in the transport",
       [](sim::SimDrive& d) { d.InjectWhen(sim::NthMatch(sim::IsReadBuffer(), 5), sim::Fault::TransportFailure()); },
       "Read back and Verify drive's DRAM... , Read Fail! ", {"Read Buffer> 00 00 00. 00, "}},
      {"read-back corrupted",
       [](sim::SimDrive& d) { d.InjectWhen(sim::NthMatch(sim::IsReadBuffer(), 7), sim::Fault::CorruptReadBack(100)); },
       "Read back and Verify drive's DRAM... , Compare BIN and DRAM Fail! ",
       {"Compare BIN and DRAM fail!"}},
      {"device gone mid-download",
       [](sim::SimDrive& d) { d.InjectWhen(sim::NthMatch(sim::IsWriteBufferData(), 9), sim::Fault::DeviceGone()); },
       "Write BIN to drive's DRAM... , Fail! ", {"Write Buffer> 00 00 00. 00, "}},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.name);
    Start();
    c.inject(*drive);
    Click();
    EXPECT_EQ(ui().groupBox.caption, c.caption);
    EXPECT_TRUE(drive->Commits().empty());
    EXPECT_FALSE(drive->Bricked());
    EXPECT_EQ(ui().progress.Position(), 0);
    EXPECT_EQ(ui().cursor.log, (std::vector<std::string>{"hourglass", "default"}));
    std::vector<std::string> messages;
    for (const auto& box : ui().dialogs.shown) {
      if (box.kind == "Message") messages.push_back(box.text);
    }
    ASSERT_EQ(messages.size(), c.messagePrefixes.size());
    for (std::size_t i = 0; i < messages.size(); ++i) {
      EXPECT_EQ(messages[i].rfind(c.messagePrefixes[i], 0), 0u) << messages[i];
    }
  }
}

TEST_F(FlashProcedure, ProfileFailuresHaveTheirOwnCaptions) {
  Start(ImagePackage(true));
  drive->InjectWhen(sim::WithOpcode(0xDF), sim::Fault::WithSense(sim::kInvalidOpcode));
  Click();
  EXPECT_EQ(ui().groupBox.caption, "Write profile to drive's DRAM... , Fail! ");

  Start(ImagePackage(true));
  drive->InjectWhen(sim::NthMatch(sim::IsReadBuffer(), 0), sim::Fault::CorruptReadBack(3));
  Click();
  EXPECT_EQ(ui().groupBox.caption, "Read back and Verify drive's DRAM... , Valid Profile Fail!");
  EXPECT_TRUE(drive->Commits().empty());
}

TEST_F(FlashProcedure, FailedCommitSaysFlashFailAndAClickStartsAgain) {
  Start();
  drive->InjectWhen(sim::IsCommit(), sim::Fault::WithSense({0x04, 0x44, 0x00}));
  Click();
  EXPECT_EQ(ui().groupBox.caption, "Flash Fail.");
  EXPECT_EQ(CDDrive::Timeout(), 60);  // back to the usual one, also after a failed commit

  Click();
  EXPECT_EQ(ui().groupBox.caption, "Flash Completed.");
  EXPECT_EQ(CDDrive::Timeout(), 60);
  EXPECT_FALSE(drive->Bricked());
}

// A commit that never answered may still be programming the flash: the user
// is told to wait and power the computer off and on, and nothing reaches the
// drive again, whichever way it is asked.
TEST_F(FlashProcedure, UnansweredCommitLeavesTheDriveAlone) {
  for (const sim::Fault& fault : {sim::Fault::TimeoutAfterExecution(), sim::Fault::TransportFailure()}) {
    Start();
    drive->InjectWhen(sim::IsCommit(), fault);
    Click();
    EXPECT_EQ(ui().groupBox.caption, "Flash Fail.");
    ASSERT_FALSE(ui().dialogs.shown.empty());
    EXPECT_NE(ui().dialogs.shown.back().text.find("power the computer off and on"), std::string::npos);
    const std::size_t sentBefore = drive->Log().size();
    Click({Answer::Yes, Answer::Yes, Answer::No});
    EXPECT_EQ(drive->Log().size(), sentBefore);
    EXPECT_EQ(ui().form.Selected()->GetIdentity(), "0");
    EXPECT_EQ(drive->Log().size(), sentBefore);
  }
}

TEST_F(FlashProcedure, FailedFreshInquiryAfterTheCommitShowsZero) {
  Start();
  drive->InjectWhen(sim::WithOpcode(0x12), sim::Fault::WithSense(sim::kInvalidField));
  Click();
  EXPECT_EQ(ui().combo.items, std::vector<std::string>{"0"});
  EXPECT_EQ(ui().groupBox.caption, "Flash Completed.");
}

}  // namespace
}  // namespace cdflash
