// --list and --flash over the flash session: the terminal prints, asks and
// maps what the run came to onto its exit codes.

#include "app/FlashSession.h"
#include "app/StartupTexts.h"
#include "package/PackageDigest.h"
#include "ui/cli/Commands.h"
#include "ui/cli/Listing.h"
#include "ui/cli/Interrupt.h"

namespace cdflash::cli {

static FlashSession::DeviceMessages ToStandardError(ITerminal& terminal) {
  return [&terminal](const std::string& text, bool) { terminal.Err(text + "\n"); };
}

int ListDrives(const TerminalContext& context, bool json) {
  FlashSession session(context.package, context.system, ToStandardError(context.terminal));
  session.FindDrives();
  const bool flasher = !context.package.IsTemplate();
  context.terminal.Out(json ? DrivesAsJson(session.Entries(), flasher, StoredDigestHex(context.package))
                            : DrivesAsText(session.Entries(), flasher));
  return kExitFlashed;
}

int FlashDrive(const TerminalContext& context, const std::string& wanted, Answers answers, RecordOptions record) {
  ITerminal& t = context.terminal;
  // The drive first: a name that fits no drive, or several, is refused
  // before anything is asked.
  FlashSession session(context.package, context.system, ToStandardError(t));
  session.FindDrives();
  const std::vector<const DriveEntry*> named = session.Named(wanted);
  if (named.size() != 1) {
    t.Err(NotOneDrive(wanted, named.empty(), session.Entries()));
    return kExitUsage;
  }
  const DriveEntry& entry = *named.front();
  if (session.LacksRights()) {
    t.Err(RightsAdvice(context.system, wanted));
    return kExitFailedBeforeWrite;
  }
  if (!entry.refusal.empty()) {
    t.Err("This flasher may not update " + entry.Describe() + ": " + entry.refusal + ".\n");
    return kExitNothingDone;
  }

  TerminalObserver observer(t, answers);
  observer.SetSubject(entry.identity, entry.device);
  observer.SetJsonResult(record.json);
  if (observer.Ask(QuestionKind::Warning, WarningText(context.package)) != Answer::Yes) return kExitNothingDone;
  CommitGate gate;
  FlashReport report;
  {
    InterruptGuard interrupts(gate);
    report = session.Run(entry, observer, {&gate, record.file, ExitCodeOf});
  }
  t.Err(report.recordPath.empty() ? "\nNo record of this run: " + report.recordProblem + "\n"
                                  : "\nThe record of this run: " + report.recordPath + "\n");
  if (record.json) t.Out(report.summaryJson);
  return ExitCodeOf(report);
}

}  // namespace cdflash::cli
