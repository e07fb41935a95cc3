#pragma once
// A 64-bit millisecond count from the system's 32-bit tick count, which wraps
// every 49.7 days: the stand-in for GetTickCount64 where the system has none.

#include <atomic>
#include <cstdint>

namespace cdflash::win32 {

class TickExtender {
 public:
  // The count for the 32-bit reading `ticks`: one wrap more each time a
  // reading is below the one before. Safe from any thread, also when a
  // thread's reading is older than one another thread stored. Needs a reading
  // at least every 24 days (half the wrap).
  std::uint64_t Extend(std::uint32_t ticks);

 private:
  std::atomic<std::uint64_t> state_{0};  // wraps so far << 32 | last reading
};

}  // namespace cdflash::win32
