#pragma once
// Whether the process's standard output or error is gone: a write to it
// failed (its reader closed the pipe, its disk is full). From then on
// nothing more is written to it, and the run goes on and ends as it would
// have: output that cannot be written changes nothing of what is done.
// Lock-free, so that the signal handlers read and set them as well.

#include <atomic>

namespace cdflash::cli {

inline std::atomic<bool> standardOutputGone{false};
inline std::atomic<bool> standardErrorGone{false};
static_assert(std::atomic<bool>::is_always_lock_free);

}  // namespace cdflash::cli
