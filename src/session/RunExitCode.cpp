#include "session/RunExitCode.h"

namespace cdflash {

int ExitCodeOf(const FlashReport& report) {
  switch (report.outcome) {
    case FlashOutcome::Completed: return kExitOk;
    case FlashOutcome::Declined:
    case FlashOutcome::AlreadyUpToDate:
    case FlashOutcome::NoDrive: return kExitNothingDone;
    case FlashOutcome::CommitFailed: return kExitCommitFailed;
    case FlashOutcome::CommitUnanswered: return kExitCommitUnanswered;
    default: return report.wroteToDrive ? kExitFailedAfterWrite : kExitFailedBeforeWrite;
  }
}

}  // namespace cdflash
