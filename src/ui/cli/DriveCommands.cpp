// --list and --flash over the flash session: the terminal prints, asks and
// maps what the run came to onto its exit codes.

#include <vector>

#include "app/FlashSession.h"
#include "app/StartupTexts.h"
#include "system/Elevation.h"
#include "system/SystemServices.h"
#include "ui/cli/Commands.h"
#include "ui/cli/DriveListing.h"
#include "ui/cli/Interrupt.h"

namespace cdflash::cli {
namespace {

FlashSession::DeviceMessages ToStandardError(ITerminal& terminal) {
  return [&terminal](const std::string& text, bool) { terminal.Err(text + "\n"); };
}

int ExitCodeOf(const FlashReport& report) {
  switch (report.outcome) {
    case FlashOutcome::Completed: return kExitFlashed;
    case FlashOutcome::Declined:
    case FlashOutcome::AlreadyUpToDate:
    case FlashOutcome::NoDrive: return kExitNothingDone;
    case FlashOutcome::CommitFailed: return kExitCommitFailed;
    default: return report.wroteToDrive ? kExitFailedAfterWrite : kExitFailedBeforeWrite;
  }
}

}  // namespace

int ListDrives(const TerminalContext& context, bool json) {
  FlashSession session(context.package, context.system, ToStandardError(context.terminal));
  session.FindDrives();
  const bool flasher = !context.package.IsTemplate();
  context.terminal.Out(json ? DrivesAsJson(session.Entries(), flasher) : DrivesAsText(session.Entries(), flasher));
  return kExitFlashed;
}

int FlashDrive(const TerminalContext& context, const std::string& wanted, Answers answers) {
  ITerminal& t = context.terminal;
  if (context.package.IsTemplate()) {
    t.Err("This program is a template: it holds no firmware. Build a flasher first (--build).\n");
    return kExitUsage;
  }
  // The drive first: a name that fits no drive, or several, is refused
  // before anything is asked.
  FlashSession session(context.package, context.system, ToStandardError(t));
  session.FindDrives();
  const std::vector<const DriveEntry*> named = session.Named(wanted);
  if (named.size() != 1) {
    t.Err((named.empty() ? "No drive \"" + wanted + "\"" : "\"" + wanted + "\" names more than one drive") +
          ". Name one by its device; the drives of this computer:\n" + Candidates(session.Entries()));
    return kExitUsage;
  }
  const DriveEntry& entry = *named.front();
  if (session.LacksRights()) {
    const auto read = [&](const std::string& name) { return context.system.EnvironmentVariable(name); };
    t.Err("Updating firmware needs administrator rights, and this flasher runs without them. Run it as:\n  " +
          CommandText(ElevationCommand("sudo", context.system.ProgramPath(), read)) + " --flash " + wanted + "\n");
    return kExitFailedBeforeWrite;
  }
  if (!entry.refusal.empty()) {
    t.Err("This flasher may not update " + entry.Describe() + ": " + entry.refusal + ".\n");
    return kExitNothingDone;
  }

  TerminalObserver observer(t, answers);
  observer.SetSubject(entry.identity, entry.device);
  if (observer.Ask(QuestionKind::Warning, WarningText(context.package)) != Answer::Yes) return kExitNothingDone;
  CommitGate gate;
  FlashReport report;
  {
    InterruptGuard interrupts(gate);
    report = session.Run(entry, observer, &gate);
  }
  t.Err("\n");
  return ExitCodeOf(report);
}

}  // namespace cdflash::cli
