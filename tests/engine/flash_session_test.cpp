// Flash mode as the window and the terminal both use it: which drives this
// flasher may update and what names them, every way a run ends with what
// the user is told, the restart offer, and a commit that never answered.

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "session/FlashSession.h"
#include "support/EngineHarness.h"
#include "support/TempFolder.h"

namespace cdflash {
namespace {

using test::AcmeDrive;
using test::AcmePackage;
using test::ImagePackage;
using test::OtherDrive;
using test::TestPackage;

// A simulated machine with a session over it; one at a time (the device
// layer's transport is the process's).
struct Machine {
  explicit Machine(TestPackage p = ImagePackage()) : package(std::move(p)) {
    system.unanswered = std::make_unique<FolderUnansweredCommits>(kept.Path());
  }
  sim::SimDrive& Add(const sim::DriveConfig& config = AcmeDrive()) { return bench.platform.AddDrive(config); }
  FlashSession& Session() {
    if (!session) {
      session = std::make_unique<FlashSession>(package.View(), system, [](const std::string&, bool) {});
      session->FindDrives();
    }
    return *session;
  }
  FlashReport Run(std::deque<Answer> answers = {Answer::Yes, Answer::No}) {
    observer.answers = std::move(answers);
    return Session().Run(*Session().Opened().front(), observer);
  }

  // A new process on the same computer: what the device layer knew ends
  // with the old one, what the system keeps stays.
  FlashSession& NextProcess() {
    session.reset();
    ForgetUnansweredCommits();
    return Session();
  }

  TestPackage package;
  sim::SimBench bench;
  test::TempFolder kept;  // the computer's place for drives whose commit never answered
  test::FakeSystem system;
  test::RecordingObserver observer;
  std::unique_ptr<FlashSession> session;
};

std::size_t Count(const sim::SimDrive& drive, std::uint8_t opcode) {
  return static_cast<std::size_t>(std::count_if(drive.Log().begin(), drive.Log().end(),
                                                [&](const sim::LogEntry& e) { return e.command.cdb[0] == opcode; }));
}

TEST(FlashSession, DrivesAreJudgedAndNamed) {
  struct Case {
    const char* name;
    std::function<void(TestPackage&)> package;
    sim::DriveConfig drive;
    bool updatable;
  };
  const auto none = [](TestPackage&) {};
  const auto product = [](const char* name) { sim::DriveConfig d = AcmeDrive(); d.product = name; return d; };
  const Case cases[] = {
      {"lower bound", none, AcmeDrive("1.00"), true},
      {"upper bound", none, AcmeDrive("1.50"), true},
      {"a capital letter sorts above a digit", none, AcmeDrive("1.2A"), true},
      {"below the range", none, AcmeDrive("0.99"), false},
      {"above the range by a letter", none, AcmeDrive("1.5A"), false},
      {"a blank sorts below a digit", none, AcmeDrive("1.5"), true},
      {"a small letter sorts above a capital", none, AcmeDrive("1.a0"), false},
      {"product in other letter case", none, product("crw-4012A"), false},
      {"longer product", none, product("CRW-4012A X"), false},
      {"shorter product", none, product("CRW-4012"), false},
      {"another model", none, OtherDrive(), false},
      {"any drive", [](TestPackage& p) { p.Inquiry("--"); }, OtherDrive(), true},
      {"any revision", [](TestPackage& p) { p.FwRange("----------"); }, AcmeDrive("ZZZZ"), true},
      {"any revision, not any drive", [](TestPackage& p) { p.FwRange("----------"); }, OtherDrive(), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestPackage package = AcmePackage();
    c.package(package);
    Machine m(package);
    m.Add(c.drive);
    ASSERT_EQ(m.Session().Entries().size(), 1u);
    EXPECT_EQ(m.Session().Entries()[0].refusal.empty(), c.updatable) << m.Session().Entries()[0].refusal;
  }

  // Names: the device, the letter (with or without a colon), the address,
  // which every drive of this machine shares.
  Machine m;
  m.bench.platform.SetPlatformId(kPlatformLinux);
  m.Add();
  m.Add();
  const auto named = [&m](const char* name) { return m.Session().Named(name).size(); };
  EXPECT_EQ(named("/dev/sr1"), 1u);
  EXPECT_EQ(named("1"), 1u);
  EXPECT_EQ(named("1:"), 1u);
  EXPECT_EQ(named("0-0-0"), 2u);
  EXPECT_EQ(named("/dev/sr7"), 0u);
  EXPECT_EQ(named(""), 0u);
}

TEST(FlashSession, EveryWayARunEndsIsToldAndReported) {
  struct Case {
    const char* name;
    std::function<void(sim::SimDrive&)> arrange;
    FlashOutcome outcome;
    std::string told;     // the beginning of the last message told, "" for none
    std::string caption;  // the caption the run ends with
    bool fiveBank = false;
    std::deque<Answer> answers = {Answer::Yes, Answer::No};
    std::size_t discTests = 0;  // TEST UNIT READY commands sent, where it matters
    PowerState power = {};      // what the system says it runs on
    bool heldElsewhere = false;  // another program holds the drive
    // A run that leaves the drive to every later process: nothing is sent to it.
    bool leftAloneAfter = false;
    std::string identityAtRun = "";  // what the drive answers when the run begins, where not its own
  };
  const auto none = [](sim::SimDrive&) {};
  const auto medium = [](std::vector<sim::Sense> script) {
    return [script](sim::SimDrive& d) { d.SetMediumScript(script); };
  };
  const auto inject = [](sim::CommandPredicate when, sim::Fault fault, int times = 1) {
    return [when, fault, times](sim::SimDrive& d) { d.InjectWhen(when, fault, times); };
  };
  // Another drive in the bay, or the same one updated by another program.
  const auto swapFor = [](const char* revision) {
    return [revision](sim::SimDrive& d) { d = sim::SimDrive(AcmeDrive(revision)); };
  };
  const auto tur = sim::WithOpcode(0x00);
  const std::string readBack = "Read back and Verify drive's DRAM... ";
  const Case cases[] = {
      {"completed", none, FlashOutcome::Completed, "", "Flash Completed."},
      {"update declined", none, FlashOutcome::Declined, "", "", false, {Answer::No}},
      {"disc in the drive", medium({sim::kBecomingReady, sim::kBecomingReady, sim::kGood}),
       FlashOutcome::DiscInDrive, "Remove disc, before to do the flash task.", ""},
      {"a drive that says neither, ten times", medium({sim::Sense{0x06, 0x29, 0x00}}), FlashOutcome::Completed, "",
       "Flash Completed.", false, {Answer::Yes, Answer::No}, 10},
      {"disc test lost on the way, always", inject(tur, sim::Fault::TransportFailure(), sim::FaultPlan::kAlways),
       FlashOutcome::DriveNotReady, "The drive did not become ready", ""},
      {"disc test busy, always", inject(tur, sim::Fault::Busy(), sim::FaultPlan::kAlways),
       FlashOutcome::DriveNotReady, "The drive did not become ready", ""},
      {"drive gone at the disc test", inject(tur, sim::Fault::DeviceGone()), FlashOutcome::FailedBeforeWrite,
       "Test Unit Ready> ", ""},
      {"third chunk refused", inject(sim::NthMatch(sim::IsWriteBufferData(), 2), sim::Fault::WithSense({4, 8, 0})),
       FlashOutcome::FailedAfterWrite, "Write Buffer> 04 08 00. 02, 0000", "Write BIN to drive's DRAM... , Fail! "},
      {"entry critical refused", inject(sim::IsEntryCritical(), sim::Fault::WithSense(sim::kInvalidField)),
       FlashOutcome::FailedAfterWrite, "Entry critical> 05 24 00. 02, 0000", "Drive entry critical... , Fail! "},
      {"read-back lost on the way", inject(sim::NthMatch(sim::IsReadBuffer(), 5), sim::Fault::TransportFailure()),
       FlashOutcome::FailedAfterWrite, "Read Buffer> 00 00 00. 00, ", readBack + ", Read Fail! "},
      {"read-back corrupted", inject(sim::NthMatch(sim::IsReadBuffer(), 7), sim::Fault::CorruptReadBack(100)),
       FlashOutcome::FailedAfterWrite, "Compare BIN and DRAM fail!", readBack + ", Compare BIN and DRAM Fail! "},
      {"flash ID refused", inject(sim::WithOpcode(0xDF), sim::Fault::WithSense(sim::kInvalidOpcode)),
       FlashOutcome::FailedBeforeWrite, "Read Flash ID> 05 20 00", "Write profile to drive's DRAM... , Fail! ", true},
      {"profile write refused", inject(sim::NthMatch(sim::WithOpcode(0x3B), 0), sim::Fault::WithSense({4, 8, 0})),
       FlashOutcome::FailedAfterWrite, "Write Profile> 04 08 00", "Write profile to drive's DRAM... , Fail! ", true},
      {"profile read back wrong", inject(sim::NthMatch(sim::IsReadBuffer(), 0), sim::Fault::CorruptReadBack(3)),
       FlashOutcome::FailedAfterWrite, "Compared profile error!", readBack + ", Valid Profile Fail!", true},
      {"commit refused", inject(sim::IsCommit(), sim::Fault::WithSense({4, 0x44, 0})), FlashOutcome::CommitFailed,
       "Write Buffer> 04 44 00", "Flash Fail."},
      {"commit never answered", inject(sim::IsCommit(), sim::Fault::TimeoutAfterExecution()),
       FlashOutcome::CommitUnanswered, "The drive did not answer the commit", "Flash Fail.", false,
       {Answer::Yes, Answer::No}, 0, {}, false, true},
      {"on battery at 25 %", none, FlashOutcome::LowBattery, "The computer runs on its battery, charged to 25 %", "",
       false, {Answer::Yes}, 0, {PowerState::Source::Battery, 25}},
      // Declined at the battery question: asked, so not stopped outright.
      {"on battery at 26 %, declined", none, FlashOutcome::Declined, "", "", false, {Answer::Yes, Answer::No}, 0,
       {PowerState::Source::Battery, 26}},
      {"on battery of unknown charge, declined", none, FlashOutcome::Declined, "", "", false,
       {Answer::Yes, Answer::No}, 0, {PowerState::Source::Battery, -1}},
      {"on battery at 80 %, accepted", none, FlashOutcome::Completed, "", "Flash Completed.", false,
       {Answer::Yes, Answer::Yes, Answer::No}, 0, {PowerState::Source::Battery, 80}},
      {"held by another program", none, FlashOutcome::FailedBeforeWrite, "/dev/sr0 is in use", "", false, {}, 0, {},
       true},
      {"fresh identity after the commit fails",
       inject(sim::NthMatch(sim::WithOpcode(0x12), 1), sim::Fault::WithSense(sim::kInvalidField)),
       FlashOutcome::Completed, "", "Flash Completed."},
      {"drive changed since listing, to a newer one", swapFor("1.90"), FlashOutcome::FailedBeforeWrite,
       "The drive is not the one listed", "", false, {}},
      {"drive changed since listing, still in range", swapFor("1.30"), FlashOutcome::FailedBeforeWrite,
       "The drive is not the one listed", "", false, {}},
      {"no answer when the run asks who it is",
       inject(sim::WithOpcode(0x12), sim::Fault::WithSense(sim::kInvalidField)),
       FlashOutcome::FailedBeforeWrite, "The drive is not the one listed", "", false, {}, 0, {}, false, false, "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Machine m(ImagePackage(c.fiveBank));
    sim::SimDrive& drive = m.Add();
    m.Session();  // the drive found before anything is planned for it
    c.arrange(drive);
    const std::string revisionAtRun = drive.Revision();
    m.system.power = c.power;
    if (c.heldElsewhere) m.bench.platform.Route().RefuseExclusiveUse({'0', 0, 0, 0}, "/dev/sr0 is in use");
    const FlashReport report = m.Run(c.answers);
    EXPECT_EQ(report.outcome, c.outcome);
    EXPECT_EQ(report.failure.rfind(c.told, 0), 0u) << report.failure;
    EXPECT_EQ(report.failure.empty(), c.told.empty()) << report.failure;
    EXPECT_EQ(m.observer.caption, c.caption);
    EXPECT_FALSE(drive.Bricked());
    EXPECT_TRUE(c.discTests == 0 || Count(drive, 0x00) == c.discTests);
    EXPECT_EQ(report.commitSent, c.outcome == FlashOutcome::Completed || c.outcome == FlashOutcome::CommitFailed ||
                                     c.outcome == FlashOutcome::CommitUnanswered);
    EXPECT_EQ(report.wroteToDrive, Count(drive, 0x3B) > 0);
    EXPECT_EQ(report.identityBefore,
              c.identityAtRun.empty() ? "0-0-0 0: ACME    CRW-4012A       " + revisionAtRun : c.identityAtRun);
    EXPECT_TRUE(report.commitSent || drive.Revision() == revisionAtRun);  // the flash untouched
    EXPECT_EQ(report.identityAfter.empty(), c.outcome != FlashOutcome::Completed);
    EXPECT_FALSE(m.observer.busy);
    EXPECT_EQ(m.bench.platform.Route().ExclusiveHeld(), 0);  // given back
    // This machine has no place for records: the run's outcome stays what it was.
    EXPECT_FALSE(report.recordProblem.empty());
    // After an unanswered commit, nothing reaches the drive again: not a
    // second run, nor the next process, which lists it refused.
    const std::size_t sent = drive.Log().size();
    if (c.leftAloneAfter) {
      EXPECT_EQ(m.Run({Answer::Yes, Answer::Yes, Answer::No}).outcome, FlashOutcome::FailedBeforeWrite);
      EXPECT_EQ(m.Session().FreshIdentity(*m.Session().Opened().front()), "0");
    }
    const DriveEntry& next = m.NextProcess().Entries().at(0);
    EXPECT_EQ(next.commitUnanswered, c.leftAloneAfter);
    EXPECT_EQ(next.refusal.find("restarts") != std::string::npos, c.leftAloneAfter) << next.refusal;
    EXPECT_TRUE(!c.leftAloneAfter || drive.Log().size() == sent);
  }
}

TEST(FlashSession, RestartIsOfferedOnceTheDriveIsDoneWith) {
  {
    // Sleep and shutdown are blocked from before the first write until the
    // drive is done with, and released before the restart is asked for.
    Machine m;
    sim::SimDrive& drive = m.Add();
    bool wroteBeforeBlock = true;
    m.system.onEvent = [&](const std::string& event) {
      if (event.rfind("block", 0) == 0) wroteBeforeBlock = Count(drive, 0x3B) > 0;
    };
    EXPECT_EQ(m.Run({Answer::Yes, Answer::Yes}).outcome, FlashOutcome::Completed);
    EXPECT_FALSE(wroteBeforeBlock);
    EXPECT_EQ(m.system.events, (std::vector<std::string>{
                                   "block: Updating the firmware of the drive 0-0-0 0: ACME    CRW-4012A       1.20",
                                   "unblock", "restart"}));
    EXPECT_EQ(m.observer.caption, "");
  }
  Machine refused;  // one simulated machine at a time
  refused.Add();
  refused.system.restartResult = {false, "not allowed"};
  EXPECT_EQ(refused.Run({Answer::Yes, Answer::Yes}).outcome, FlashOutcome::Completed);
  EXPECT_EQ(refused.observer.caption, "Flash Completed.");
  EXPECT_EQ(refused.observer.Messages().back().rfind("The system could not be restarted: not allowed.", 0), 0u);
}

}  // namespace
}  // namespace cdflash
