#pragma once
// The one decision between stopping a run and committing it. A stop asked
// for (Ctrl-C, a signal) and the engine's move to the commit race for it:
// whichever comes first wins, and the other learns so, so that the user is
// only ever told one of the two.

#include <atomic>

namespace cdflash {

class CommitGate {
 public:
  enum class StopAnswer { Stopping, AlreadyStopping, TooLate };
  /// Asks the run to stop before its commit; TooLate when the commit was
  /// already decided: the run finishes. Safe in a signal handler.
  StopAnswer RequestStop() {
    int expected = kRunning;
    if (state_.compare_exchange_strong(expected, kStopping)) return StopAnswer::Stopping;
    return expected == kStopping ? StopAnswer::AlreadyStopping : StopAnswer::TooLate;
  }
  /// The engine, right before the commit: false when a stop came first.
  bool EnterCommit() {
    int expected = kRunning;
    return state_.compare_exchange_strong(expected, kCommitting) || expected == kCommitting;
  }
  bool StopRequested() const { return state_.load() == kStopping; }
  /// A new run: neither decided.
  void Reset() { state_.store(kRunning); }

 private:
  static constexpr int kRunning = 0, kStopping = 1, kCommitting = 2;
  static_assert(std::atomic<int>::is_always_lock_free);
  std::atomic<int> state_{kRunning};
};

}  // namespace cdflash
