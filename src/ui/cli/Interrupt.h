#pragma once
// Ctrl-C on the terminal. Before the commit it asks the run to stop; once the
// commit is sent it is refused with the commit's caption, and the run
// finishes.

#include <functional>

namespace cdflash::cli {

// Installs the handler for the life of the object. `commitSent` is asked
// from the handler; it must be safe to call from a signal handler (it reads
// an atomic flag).
class InterruptGuard {
 public:
  explicit InterruptGuard(std::function<bool()> commitSent);
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

  // Whether a stop was asked for before the commit.
  static bool StopRequested();
  // What the handler does; tests call it directly.
  static void OnInterrupt();
};

inline constexpr const char* kCommitInProgressText =
    "Don't turn off the system, Flash is in progress...";

}  // namespace cdflash::cli
