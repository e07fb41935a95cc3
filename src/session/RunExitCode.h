#pragma once
// How a flash run ended, as one number: the terminal's exit code, and the
// same number in the record of a run from either front end.

#include "session/FlashSession.h"

namespace cdflash {

enum RunExitCode : int {
  kExitOk = 0,                 // flashed, or the command did what it was asked
  kExitNothingDone = 1,        // nothing to do or declined
  kExitFailedBeforeWrite = 2,  // failed before anything was written to the drive
  kExitFailedAfterWrite = 3,   // failed after writing began, before the commit: flash untouched
  kExitCommitFailed = 4,       // the drive refused the commit: flash untouched, safe to retry
  kExitUsage = 5,              // usage error
  kExitCommitUnanswered = 6,   // the commit never answered: wait, power-cycle, then retry
};

// The exit code of a run that came to `report`.
int ExitCodeOf(const FlashReport& report);

}  // namespace cdflash
