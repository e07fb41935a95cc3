// --list and --flash over the flash session: the terminal prints, asks and
// maps what the run came to onto its exit codes.

#include "session/FlashSession.h"
#include "session/Listings.h"
#include "session/StartupTexts.h"
#include "ui/cli/Commands.h"
#include "ui/cli/Interrupt.h"

namespace cdflash::cli {

static FlashSession::DeviceMessages ToStandardError(ITerminal& terminal) {
  return [&terminal](const std::string& text, bool) { terminal.Err(text + "\n"); };
}

int ListDrives(const TerminalContext& context, bool json) {
  FlashSession session(context.package, context.system, ToStandardError(context.terminal));
  session.FindDrives();
  context.terminal.Out(json ? DrivesAsJson(session.Entries(), context.package)
                            : DrivesAsText(session.Entries(), context.package));
  return kExitOk;
}

// Where the record went, and with --json the run's summary: the end of
// every --flash, however it ended.
static int Ended(ITerminal& t, const FlashReport& report, bool json, int exit) {
  t.Err(report.recordPath.empty() ? "\nNo record of this run: " + report.recordProblem + "\n"
                                  : "\nThe record of this run: " + report.recordPath + "\n");
  if (json) t.Out(report.summaryJson);
  return exit;
}

int FlashDrive(const TerminalContext& context, const std::string& wanted, Answers answers, RecordOptions record) {
  ITerminal& t = context.terminal;
  FlashSession session(context.package, context.system, ToStandardError(t));
  // Ends a --flash before its run, told and recorded like any run.
  const auto endEarly = [&](FlashOutcome outcome, const std::string& told, int exit) {
    t.Err(told);
    const auto fixed = [exit](const FlashReport&) { return exit; };
    return Ended(t, session.EndBeforeRun(wanted, outcome, told, {nullptr, record.file, fixed}), record.json, exit);
  };
  // Every run leaves its record: a place that cannot take one is told
  // before anything is sent, not found out after the flash.
  if (const std::string problem = session.RecordPlaceProblem(record.file); !problem.empty()) {
    return endEarly(FlashOutcome::NoDrive,
                    "No record of a run can be written: " + problem + ". Nothing was sent to the drive. " +
                        (record.file.empty() ? "Make that folder writable, or give --log FILE.\n"
                                             : "Give --log a file that can be written.\n"),
                    kExitUsage);
  }
  // A damaged flasher would send and verify its damaged image: it ends
  // before it touches a drive.
  if (FlasherIsDamaged(context.package)) {
    return endEarly(FlashOutcome::FailedBeforeWrite, std::string(kDamagedFlasherText) + "\n", kExitFailedBeforeWrite);
  }
  // The drive first: a name that fits no drive, or several, is refused
  // before anything is asked.
  session.FindDrives();
  const std::vector<const DriveEntry*> named = session.Named(wanted);
  if (named.size() != 1) {
    return endEarly(FlashOutcome::NoDrive, NotOneDrive(wanted, named.empty(), session.Entries()), kExitUsage);
  }
  const DriveEntry& entry = *named.front();
  if (session.LacksRights()) {
    return endEarly(FlashOutcome::FailedBeforeWrite, RightsAdvice(context.system, wanted), kExitFailedBeforeWrite);
  }
  if (!entry.refusal.empty()) {
    // A drive left alone after a commit that never answered keeps that
    // commit's exit code: a script waits and power-cycles, not retries.
    return endEarly(FlashOutcome::NoDrive, "This flasher may not update " + entry.Describe() + ": " + entry.refusal + ".\n",
                    entry.commitUnanswered ? kExitCommitUnanswered : kExitNothingDone);
  }

  TerminalObserver observer(t, answers);
  observer.SetSubject(entry.identity, entry.device);
  observer.SetJsonResult(record.json);
  if (observer.Ask(QuestionKind::Warning, WarningText(context.package)) != Answer::Yes) {
    return endEarly(FlashOutcome::Declined, {}, kExitNothingDone);
  }
  CommitGate gate;
  FlashReport report;
  {
    InterruptGuard interrupts(gate);
    report = session.Run(entry, observer, {&gate, record.file, ExitCodeOf});
  }
  return Ended(t, report, record.json, ExitCodeOf(report));
}

}  // namespace cdflash::cli
