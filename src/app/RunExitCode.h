#pragma once
// How a flash run ended, as one number: the terminal's exit code, and the
// same number in the record of a run from either front end.

#include "app/FlashSession.h"

namespace cdflash {

enum RunExitCode : int {
  kExitFlashed = 0,            // flashed (or the command did what it was asked)
  kExitNothingDone = 1,        // nothing to do or declined
  kExitFailedBeforeWrite = 2,  // failed before anything was written to the drive
  kExitFailedAfterWrite = 3,   // failed after writing began, before the commit: flash untouched
  kExitCommitFailed = 4,       // the commit failed
  kExitUsage = 5,              // usage error
};

// The exit code of a run that came to `report`.
int ExitCodeOf(const FlashReport& report);

}  // namespace cdflash
