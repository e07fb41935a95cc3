// The terminal front end in-process, over simulated drives: what --list and
// --json say of each drive, a whole --flash run, every exit code, Ctrl-C
// before and after the commit, and --build against the window's Build.

#include <gtest/gtest.h>

#include <csignal>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "device/ScsiCommands.h"

#include "support/EngineHarness.h"
#include "common/Json.h"
#include "common/Sha256.h"
#include "support/FakeControls.h"
#include "support/Json.h"
#include "support/TempFolder.h"
#include "ui/cli/Arguments.h"
#include "ui/cli/Interrupt.h"
#include "ui/cli/RunTerminal.h"
#include "ui/cli/StandardStreams.h"
#include "ui/cli/TerminalObserver.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace cdflash::cli {
namespace {

namespace fs = std::filesystem;

class RecordingTerminal final : public ITerminal {
 public:
  void Out(const std::string& t) override { out += t; }
  void Err(const std::string& t) override { err += t; }
  std::optional<std::string> ReadLine() override {
    if (input.empty()) return std::nullopt;
    std::string line = input.front();
    input.pop_front();
    return line;
  }
  bool IsTty() const override { return tty; }
  bool CanAsk() const override { return interactive; }

  std::string out, err;
  std::deque<std::string> input;
  bool tty = false;
  bool interactive = true;
};

// A flasher for ACME CRW-4012A 1.00-1.50 with a four-bank image (revision
// 1.60), over simulated drives on Linux.
struct Machine {
  // Every --flash leaves its record: here, in a state folder of the test's own.
  Machine() {
    system.environment["XDG_STATE_HOME"] = state.Path();
    system.environment["LOCALAPPDATA"] = state.Path();
  }
  // The records left in the state folder, oldest name first.
  std::vector<std::string> Records() const {
    std::vector<std::string> found;
    const fs::path folder = state.FsPath() / "cdflash";
    if (fs::exists(folder)) {
      for (const auto& entry : fs::directory_iterator(folder)) found.push_back(entry.path().string());
    }
    std::sort(found.begin(), found.end());
    return found;
  }
  // Runs the program with `args` over this machine's package, or `view`;
  // the terminal holds what this run alone wrote.
  int Run(std::vector<std::string> args, std::optional<PackageView> view = {}) {
    terminal.out.clear();
    terminal.err.clear();
    args.insert(args.begin(), "cdflash");
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    return RunTerminal(static_cast<int>(argv.size()), argv.data(), {terminal, system, view ? *view : package.View()});
  }
  test::TempFolder state{"cdflash-cli-state"};
  test::TestPackage package = test::ImagePackage();
  sim::SimBench bench{kPlatformLinux};
  test::FakeSystem system;
  RecordingTerminal terminal;
};

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// With each drive, the digest the flasher was built with, to compare with
// the one published beside a download (--version shows it too); a template
// lists the drives without verdicts.
TEST(TerminalList, EveryDriveWithItsVerdictAsTextAndJson) {
  Machine m;
  const std::string digest = DigestHex(m.package.Seal().View().StoredDigest());
  m.bench.platform.AddDrive(test::AcmeDrive("1.20"));
  m.bench.platform.AddDrive(test::OtherDrive());
  m.bench.platform.AddDrive(test::AcmeDrive("0.90"));
  m.bench.platform.AddAbsent({'3', 0, 0, 0});
  EXPECT_EQ(m.Run({"--list"}), kExitOk);
  const std::string& out = m.terminal.out;
  for (const char* part : {"0-0-0 0: ACME    CRW-4012A       1.20", "device: /dev/sr0",
                           "this flasher may update it", "another model", "revision out of range 1.00-1.50",
                           "/dev/sr3\n    not for this flasher: could not be opened"}) {
    EXPECT_TRUE(Has(out, part)) << part << "\n" << out;
  }

  EXPECT_EQ(m.Run({"--list", "--json"}), kExitOk);
  const std::string& json = m.terminal.out;
  EXPECT_TRUE(Has(json, "\"mode\": \"flasher\""));
  EXPECT_TRUE(Has(json, "\"digest\": \"" + digest + "\""));
  EXPECT_TRUE(Has(json, "\"revision\": \"1.20\", \"device\": \"/dev/sr0\", \"updatable\": true}"));
  EXPECT_TRUE(Has(json, "{\"opened\": false, \"device\": \"/dev/sr3\", \"updatable\": false, "
                        "\"reason\": \"could not be opened\"}"));
  m.Run({"--version"});
  EXPECT_TRUE(Has(m.terminal.out, digest)) << m.terminal.out;
  EXPECT_EQ(m.Run({"-h"}), kExitOk);
  EXPECT_TRUE(Has(m.terminal.out, "Exit codes of --flash")) << m.terminal.out;
  test::TestPackage blank;
  EXPECT_EQ(m.Run({"--list", "--json"}, blank.SetSlot(0, "BLNK").View()), kExitOk);
  EXPECT_TRUE(Has(m.terminal.out, "\"mode\": \"template\""));
  EXPECT_FALSE(Has(m.terminal.out, "updatable"));
}

TEST(TerminalFlash, WholeRunWithYes) {
  Machine m;
  sim::SimDrive& drive = m.bench.platform.AddDrive(test::AcmeDrive("1.20"));
  EXPECT_EQ(m.Run({"--flash", "/dev/sr0", "--yes"}), kExitOk);
  ASSERT_EQ(drive.Commits().size(), 1u);
  EXPECT_FALSE(drive.Bricked());
  EXPECT_EQ(drive.Revision(), "1.60");
  // The conversation on standard error, each question naming the drive; the
  // result on standard output.
  EXPECT_TRUE(Has(m.terminal.err, "Drive: 0-0-0 0: ACME    CRW-4012A       1.20  (/dev/sr0)\nUpdate FW:1.20 to FW:1.60 ?\n[y/N] y (--yes)"));
  EXPECT_TRUE(Has(m.terminal.err, "Flash Completed.\n"));
  EXPECT_TRUE(Has(m.terminal.err, "effect(inquiry stream) ?\n[y/N] n (no --restart)"));
  EXPECT_EQ(m.terminal.out, "The drive now reports: 0-0-0 0: ACME    CRW-4012A       1.60\n");
}

bool WroteTo(const sim::SimDrive& drive) {
  return std::any_of(drive.Log().begin(), drive.Log().end(),
                     [](const sim::LogEntry& e) { return e.command.cdb[0] == kOpWriteBuffer; });
}

TEST(TerminalFlash, EveryWayOutHasItsExitCode) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::deque<std::string> input;
    std::string revision;
    std::function<void(sim::SimDrive&, test::TestPackage&)> arrange;
    int exit;
    std::string says = {};  // on standard error
    int drives = 1;         // qualifying drives, all at 0-0-0
    bool interactive = true;
    std::size_t commits = exit == kExitOk ? 1 : 0;
    PowerState power = {};
    DriveAccess access = {};
    bool recordKept = true;  // a --flash past its arguments leaves a record
    bool sends = true;  // false: the drive receives no command at all
    bool leftAlone = false;  // an earlier process's commit to it never answered
  };
  const auto none = [](sim::SimDrive&, test::TestPackage&) {};
  const auto anyRevision = [](sim::SimDrive&, test::TestPackage& p) { p.FwRange("----------"); };
  const Case cases[] = {
      {"restart accepted", {"--flash=0", "--yes", "--restart"}, {}, "1.20", none, kExitOk},
      {"warning answered no", {"--flash", "0"}, {"n"}, "1.20", none, kExitNothingDone},
      {"update answered no", {"--flash", "0"}, {"y", "no"}, "1.20", none, kExitNothingDone},
      {"every question answered by hand", {"--flash", "0"}, {"y", " Yes\r", "no"}, "1.20", none, kExitOk},
      {"no terminal to answer on", {"--flash", "0"}, {}, "1.20", none, kExitNothingDone, "no terminal", 1, false},
      {"already up to date", {"--flash", "0", "--yes"}, {}, "1.50", [](sim::SimDrive&, test::TestPackage& p) {
         p.Revision("1.50.");
       }, kExitNothingDone},
      {"downgrade with --yes alone", {"--flash", "0", "--yes"}, {}, "1.70", anyRevision, kExitNothingDone,
       "needs --allow-older"},
      {"downgrade with --allow-older", {"--flash", "0", "--yes", "--allow-older"}, {}, "1.70", anyRevision,
       kExitOk},
      {"on battery with --yes alone", {"--flash", "0", "--yes"}, {}, "1.20", none, kExitNothingDone,
       "needs --allow-battery", 1, true, 0, {PowerState::Source::Battery, 80}},
      {"on battery with --allow-battery", {"--flash", "0", "--yes", "--allow-battery"}, {}, "1.20", none,
       kExitOk, "", 1, true, 1, {PowerState::Source::Battery, 80}},
      {"no such drive", {"--flash", "7", "--yes"}, {}, "1.20", none, kExitUsage, "/dev/sr0"},
      {"selector naming two drives", {"--flash", "0-0-0", "--yes"}, {}, "1.20", none, kExitUsage,
       "/dev/sr1", 2},
      {"revision out of range", {"--flash", "0-0-0", "--yes"}, {}, "0.90", none, kExitNothingDone},
      {"disc in the drive", {"--flash", "0", "--yes"}, {}, "1.20", [](sim::SimDrive& d, test::TestPackage&) {
         d.SetMediumScript({sim::kGood});
       }, kExitFailedBeforeWrite},
      {"busy to every disc test", {"--flash", "0", "--yes"}, {}, "1.20", [](sim::SimDrive& d, test::TestPackage&) {
         d.InjectWhen(sim::WithOpcode(kOpTestUnitReady), sim::Fault::Busy(), sim::FaultPlan::kAlways);
       }, kExitFailedBeforeWrite, "did not become ready"},
      {"drive gone at the disc test", {"--flash", "0", "--yes"}, {}, "1.20", [](sim::SimDrive& d, test::TestPackage&) {
         d.InjectWhen(sim::WithOpcode(kOpTestUnitReady), sim::Fault::DeviceGone());
       }, kExitFailedBeforeWrite},
      {"commit refused", {"--flash", "0", "--yes"}, {}, "1.20", [](sim::SimDrive& d, test::TestPackage&) {
         d.InjectWhen(sim::IsCommit(), sim::Fault::WithSense({0x04, 0x44, 0x00}));
       }, kExitCommitFailed},
      {"commit unanswered", {"--flash", "0", "--yes"}, {}, "1.20", [](sim::SimDrive& d, test::TestPackage&) {
         d.InjectWhen(sim::IsCommit(), sim::Fault::TimeoutAfterExecution());
       }, kExitCommitUnanswered, "power", 1, true, 1},
      {"flasher with one changed image byte", {"--flash", "0", "--yes"}, {}, "1.20",
       [](sim::SimDrive&, test::TestPackage& p) { p.Seal().SetSlotByte(0x2345, 0x5A); }, kExitFailedBeforeWrite,
       "damaged", 1, true, 0, {}, {}, true, false},
      {"no rights to send firmware commands", {"--flash", "0", "--yes"}, {}, "1.20", none, kExitFailedBeforeWrite,
       "", 1, true, 0, {}, {1, 1, false}},
      {"a --log file that cannot be created", {"--flash", "0", "--yes", "--log", "/nonexistent/dir/x.json"}, {},
       "1.20", none, kExitUsage, "/nonexistent/dir/x.json could not be created", 1, true, 0, {}, {}, false},
      {"a drive whose commit never answered, run again", {"--flash", "0", "--yes"}, {}, "1.20", none,
       kExitCommitUnanswered, "power the computer off and on", 1, true, 0, {}, {}, true, false, true},
      {"unknown option", {"--flash", "0", "--bogus"}, {}, "1.20", none, kExitUsage},
      {"an option without its value", {"--flash"}, {}, "1.20", none, kExitUsage},
      {"a flag given a value", {"--list=yes"}, {}, "1.20", none, kExitUsage},
      {"two commands", {"--list", "--models"}, {}, "1.20", none, kExitUsage},
      {"json without list", {"--json"}, {}, "1.20", none, kExitUsage},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Machine m;
    std::vector<sim::SimDrive*> drives;
    for (int i = 0; i < c.drives; ++i) drives.push_back(&m.bench.platform.AddDrive(test::AcmeDrive(c.revision)));
    c.arrange(*drives[0], m.package);
    m.terminal.input = c.input;
    m.terminal.interactive = c.interactive;
    m.system.power = c.power;
    m.bench.platform.SetAccess(c.access);
    if (c.leftAlone) {
      m.system.unanswered = std::make_unique<FolderUnansweredCommits>((m.state.FsPath() / "unanswered").string());
      std::string problem;
      m.system.unanswered->Keep("/dev/sr0", "0-0-0 0: ACME    CRW-4012A       1.20", problem);
    }
    // Every --flash that got past its arguments ends with its summary and
    // leaves its record, both with the exit code, whatever the way out.
    std::vector<const char*> argv{"cdflash"};
    for (const std::string& a : c.args) argv.push_back(a.c_str());
    std::string error;
    const auto parsed = ParseArguments(static_cast<int>(argv.size()), argv.data(), error);
    const bool flashRun = parsed && !parsed->flash.empty();
    std::vector<std::string> args = c.args;
    if (flashRun) args.push_back("--json");
    EXPECT_EQ(m.Run(args), c.exit) << m.terminal.out << m.terminal.err;
    EXPECT_TRUE(Has(m.terminal.err, c.says)) << m.terminal.err;
    EXPECT_EQ(drives[0]->Commits().size(), c.commits);
    const bool restartAsked = std::find(c.args.begin(), c.args.end(), "--restart") != c.args.end();
    EXPECT_EQ(m.system.restarts, restartAsked && c.exit == kExitOk ? 1 : 0);
    EXPECT_TRUE(c.sends || drives[0]->CommandCount() == 0u);
    if (flashRun) {
      const auto summary = test::ParseJson(m.terminal.out);
      ASSERT_TRUE(summary) << m.terminal.out;
      EXPECT_EQ(summary->at("exitCode"), c.exit);
      const std::vector<std::string> records = m.Records();
      ASSERT_EQ(records.size(), c.recordKept ? 1u : 0u);
      EXPECT_EQ(summary->at("record"), c.recordKept ? records.front() : "");
      if (c.recordKept) {
        const auto record = test::ParseJson(test::ReadText(records.front()));
        ASSERT_TRUE(record);
        EXPECT_EQ(record->at("exitCode"), c.exit);
      }
    }
    for (const sim::SimDrive* drive : drives) {
      EXPECT_FALSE(drive->Bricked());
      // Nothing to do, a refusal or a failure before writing: nothing written.
      if (c.exit == kExitNothingDone || c.exit == kExitFailedBeforeWrite || c.exit == kExitUsage) {
        EXPECT_FALSE(WroteTo(*drive));
      }
    }
  }
}

// A failed run's record (--log FILE) holds the commands the drive received,
// command for command; --json ends standard output with one JSON object.
TEST(TerminalFlash, RecordAndSummaryTellWhatTheDriveReceived) {
  Machine m;
  const std::string digest = DigestHex(m.package.Seal().View().StoredDigest());
  sim::SimDrive& drive = m.bench.platform.AddDrive(test::AcmeDrive("1.20"));
  drive.InjectWhen(sim::NthMatch(sim::IsReadBuffer(), 3), sim::Fault::WithSense({0x03, 0x11, 0x00}));
  const test::TempFolder folder("cdflash-cli-log");
  const std::string log = folder / "run.json";
  EXPECT_EQ(m.Run({"--flash", "0", "--yes", "--log", log, "--json"}), kExitFailedAfterWrite);
  EXPECT_TRUE(Has(m.terminal.err, "The record of this run: " + log));

  const auto record = test::ParseJson(test::ReadText(log));
  ASSERT_TRUE(record);
  EXPECT_EQ(record->at("package").at("digest"), digest);
  const test::Json& commands = record->at("commands");
  const auto& seen = drive.Log();
  ASSERT_LE(commands.size(), seen.size());
  const std::size_t first = seen.size() - commands.size();  // before them: finding the drive
  for (std::size_t i = 0; i < commands.size(); ++i) {
    const sim::LogEntry& sent = seen[first + i];
    EXPECT_EQ(commands[i].at("cdb"), HexBytes(sent.command.cdb)) << "command " << i;
    EXPECT_EQ(commands[i].at("direction"), sent.command.dataIn ? "in" : "out") << "command " << i;
    EXPECT_EQ(commands[i].at("length"), sent.command.length) << "command " << i;
    EXPECT_EQ(commands[i].at("status"), sent.reply.status) << "command " << i;
  }
  // The refused read-back: its sense bytes as the drive gave them.
  EXPECT_EQ(commands.back().at("succeeded"), false);
  EXPECT_EQ(commands.back().at("sense").get<std::string>().substr(0, 8), "70 00 03");

  const auto summary = test::ParseJson(m.terminal.out);
  ASSERT_TRUE(summary) << m.terminal.out;
  EXPECT_EQ(summary->at("record"), log);
}

// A real signal, raised while a simulated command runs: before the commit
// is decided it stops the run with nothing committed; once it is decided the
// stop is refused and the run finishes. Either way one story is told.
#ifndef _WIN32
TEST(TerminalFlash, StopSignalsBeforeTheCommitStopItAndAfterItAreRefused) {
  struct Case {
    const char* name;
    int signal;
    sim::CommandPredicate when;
    bool committed;
    bool afterEntryCritical;
    bool wrote = true;  // the stop came after the first write
  };
  const Case cases[] = {
      {"Ctrl-C during the disc poll", SIGINT, sim::WithOpcode(kOpTestUnitReady), false, false, false},
      {"SIGTERM during the download", SIGTERM, sim::NthMatch(sim::IsWriteBufferData(), 4), false, false},
      {"SIGHUP after entry critical", SIGHUP, sim::NthMatch(sim::IsReadBuffer(), 2), false, true},
      {"Ctrl-C during the commit", SIGINT, sim::IsCommit(), true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Machine m;
    sim::SimDrive& drive = m.bench.platform.AddDrive(test::AcmeDrive("1.20"));
    drive.InjectWhen([&c](const sim::Command& command) {
      if (c.when(command)) std::raise(c.signal);
      return false;
    }, sim::Fault::TransportFailure());
    ::testing::internal::CaptureStderr();
    const int exit = m.Run({"--flash", "0", "--yes"});
    const std::string handler = ::testing::internal::GetCapturedStderr();
    const bool toldStopping = Has(handler, "Stopping before the commit") && Has(m.terminal.err, "stopped before");
    const bool toldRefused = Has(handler, std::string("Stop refused: ") + kCommitInProgressText);
    EXPECT_EQ(drive.Commits().size(), c.committed ? 1u : 0u);
    EXPECT_EQ(exit, c.committed ? kExitOk : c.wrote ? kExitFailedAfterWrite : kExitFailedBeforeWrite);
    EXPECT_EQ(WroteTo(drive), c.wrote);
    EXPECT_EQ(toldStopping, !c.committed) << handler << m.terminal.err;
    EXPECT_EQ(toldRefused, c.committed) << handler;
    // Stopped after entry critical, the drive waits in its update state:
    // the user is told how it comes back.
    EXPECT_EQ(Has(m.terminal.err, "update state"), !c.committed && c.afterEntryCritical);
  }
}

// Output that cannot be written (readers that closed their pipes) changes
// nothing of the run: the process is not ended by it, does not spin on it,
// flashes, records and exits as it would have, and a stop refused during
// the commit is not written to the dead stream.
TEST(TerminalFlash, OutputThatCannotBeWrittenChangesNothing) {
  Machine m;
  sim::SimDrive& drive = m.bench.platform.AddDrive(test::AcmeDrive("1.20"));
  drive.InjectWhen([](const sim::Command& command) {
    if (sim::IsCommit()(command)) std::raise(SIGINT);
    return false;
  }, sim::Fault::TransportFailure());
  StdTerminal terminal;  // as the program's: a broken pipe is no signal that ends it
  std::vector<std::pair<int, int>> saved;
  for (const int fd : {1, 2}) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    saved.emplace_back(fd, ::dup(fd));
    ::dup2(ends[1], fd);
    ::close(ends[1]);
  }
  const char* argv[] = {"cdflash", "--flash", "0", "--yes", "--json"};
  const int exit = RunTerminal(5, argv, {terminal, m.system, m.package.View()});
  for (const auto& [fd, copy] : saved) {
    ::dup2(copy, fd);
    ::close(copy);
  }
  standardOutputGone = false;
  standardErrorGone = false;
  EXPECT_EQ(exit, kExitOk);
  EXPECT_EQ(drive.Commits().size(), 1u);
  EXPECT_EQ(m.Records().size(), 1u);  // what it holds does not depend on the streams
}
#endif

// A bar redrawn in place on a terminal, tenths on lines otherwise; within a
// phase it only moves forward, and it is never shown fuller than it is.
TEST(TerminalProgress, BarOnATerminalTenthsOtherwiseOnlyForward) {
  EXPECT_EQ(ProgressLine("Write", 50), "Write [##########----------]  50%");
  for (const bool tty : {true, false}) {
    SCOPED_TRACE(tty ? "terminal" : "file");
    RecordingTerminal terminal;
    terminal.tty = tty;
    TerminalObserver observer(terminal, {});
    observer.SetBusy(true);
    std::string tenths;
    for (const char* phase : {"Write", "Verify"}) {
      observer.ShowCaption(phase);
      tenths += std::string(phase) + "\n";
      for (int done = 0; done <= 100; done += 5) observer.Progress(done, 100);
      for (int tenth = 10; tenth <= 100; tenth += 10) tenths += "  " + std::to_string(tenth) + "%\n";
      observer.Progress(30, 100);  // set back within its phase
    }
    observer.ShowCaption("Commit");
    observer.Progress(998, 1000);
    EXPECT_TRUE(terminal.out.empty());  // progress is no result
    if (tty) {
      EXPECT_TRUE(Has(terminal.err, "\rWrite [####################] 100%\nVerify")) << terminal.err;
      EXPECT_TRUE(terminal.err.ends_with("\rCommit [###################-]  99%")) << terminal.err;
    } else {
      EXPECT_EQ(terminal.err, tenths + "Commit\n  90%\n");
    }
  }
}

#ifdef CDFLASH_TEMPLATE_EXE
// --build writes the bytes the window's Build writes, for each BIN given,
// into an --out folder it makes; what it refuses, it refuses before writing
// anything, saying why.
TEST(TerminalBuild, SameBytesAsTheWindowAndRefusalsWriteNothing) {
  const test::TempFolder folder("cdflash-cli-build");
  const fs::path& dir = folder.FsPath();
  fs::create_directories(dir / "window");
  fs::copy_file(CDFLASH_TEMPLATE_EXE, dir / "CDFL.EXE");
  std::ofstream(dir / "CDFL.INI") << "[MODEL00]\nModel=CRW-4012\nInquiry=ACME    CRW-4012A\nFW-Range=1.00-1.50\n"
                                     "BINMask=*.BIN\nVendor=ACME\nNote=note\n";
  const auto bin = [&dir](const char* name, int length = 0x40000) {
    std::ofstream file(dir / name, std::ios::binary);
    for (int i = 0; i < length; ++i) file.put(static_cast<char>(i * 7 + name[3]));
    return (dir / name).string();
  };
  bin("1.60.BIN");

  test::FormHarness window(PackageView::Embedded());  // a template: build mode
  window.system.program = (dir / "CDFL.EXE").string();
  window.system.directory = dir.string();  // the BIN files are listed from here
  window.form.FormCreate();
  window.system.directory = (dir / "window").string();  // the flasher is written here
  window.fileList.SetItemIndex(0);
  window.form.FileListBox1Click();
  window.form.FlashButtonClick();
  ASSERT_TRUE(window.dialogs.shown.empty());

  Machine m;
  m.system.program = window.system.program;
  m.system.directory = dir.string();
  const auto build = [&m](std::vector<std::string> args, const fs::path& out) {
    args.insert(args.begin(), {"--build", "--model", "CRW-4012", "--out", out.string()});
    return m.Run(args, PackageView::Embedded());
  };
  EXPECT_EQ(build({"--bin", bin("1.60.BIN"), "--bin=" + bin("1.61.BIN")}, dir / "terminal"), kExitOk)
      << m.terminal.err;
  EXPECT_EQ(test::ReadBytes((dir / "terminal" / "1.60.EXE").string()), test::ReadBytes((dir / "window" / "1.60.EXE").string()));
  EXPECT_TRUE(fs::exists(dir / "terminal" / "1.61.EXE"));

  struct Refusal {
    const char* name;
    std::vector<std::string> bins;
    int exit;
    std::string says;
  };
  const Refusal refusals[] = {
      {"outside the model's mask", {bin("1.62.ROM")}, kExitUsage, "*.BIN"},
      {"two BINs, one flasher name", {bin("1.601.BIN"), bin("1.602.BIN")}, kExitUsage, "1.60.EXE"},
      {"shorter than its image", {bin("1.63.BIN", 0x19000)}, kExitFailedBeforeWrite, "262144"},
  };
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.name);
    std::vector<std::string> args;
    for (const std::string& b : r.bins) args.insert(args.end(), {"--bin", b});
    EXPECT_EQ(build(args, dir / "refused"), r.exit);
    EXPECT_TRUE(Has(m.terminal.err, r.says)) << m.terminal.err;
    EXPECT_FALSE(fs::exists(dir / "refused") && !fs::is_empty(dir / "refused"));
  }
}
#endif

}  // namespace
}  // namespace cdflash::cli
