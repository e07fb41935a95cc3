#pragma once
// The terminal front end: with arguments the program lists drives, flashes
// one or builds flashers on the terminal, with the same engine and builder
// as the window.

#include "app/FlashSession.h"
#include "package/PackageView.h"
#include "ui/cli/Terminal.h"

namespace cdflash {
class ISystemServices;
}

namespace cdflash::cli {

// Exit codes of the terminal front end.
enum ExitCode : int {
  kExitFlashed = 0,            // flashed (or the command did what it was asked)
  kExitNothingDone = 1,        // nothing to do or declined
  kExitFailedBeforeWrite = 2,  // failed before anything was written to the drive
  kExitFailedAfterWrite = 3,   // failed after writing began, before the commit: flash untouched
  kExitCommitFailed = 4,       // the drive refused the commit: flash untouched, safe to retry
  kExitUsage = 5,              // usage error
  kExitCommitUnanswered = 6,   // the commit never answered: wait, power-cycle, then retry
};

// The exit code of a --flash run that came to `report`.
int ExitCodeOf(const FlashReport& report);

struct TerminalContext {
  ITerminal& terminal;
  ISystemServices& system;  // the program's path (the model table is next to it)
  PackageView package;
};

int RunTerminal(int argc, const char* const* argv, TerminalContext context);

}  // namespace cdflash::cli
