#pragma once
// The ways a terminal run is asked to end: Ctrl-C, SIGTERM and SIGHUP; on Windows Ctrl-C, Ctrl-Break and the
// console window closing. Before the commit each asks the run to stop; once
// the commit is decided it is refused with the commit's caption, and the run
// finishes. The CommitGate makes stop and commit one decision, so only one of
// the two stories is ever told.

namespace cdflash {
class CommitGate;
}

namespace cdflash::cli {

// Installs the handlers for the life of the object.
class InterruptGuard {
 public:
  explicit InterruptGuard(CommitGate& gate);
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

  // What the handlers do; tests call it directly.
  static void OnInterrupt();
};

inline constexpr const char* kCommitInProgressText =
    "Don't turn off the system, Flash is in progress...";

}  // namespace cdflash::cli
