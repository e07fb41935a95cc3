#include "ui/win32/TickCount.h"

namespace cdflash::win32 {

std::uint64_t TickExtender::Extend(std::uint32_t ticks) {
  constexpr std::uint32_t kHalfRange = 0x80000000u;
  std::uint64_t seen = state_.load();
  for (;;) {
    const auto last = static_cast<std::uint32_t>(seen);
    std::uint64_t wraps = seen >> 32;
    // A reading behind the last one comes from a thread that read the count
    // before another thread stored a newer reading: it is counted in its own
    // round and changes nothing.
    const std::uint32_t ahead = ticks - last;  // modulo 2^32
    if (seen != 0 && ahead >= kHalfRange) {
      if (ticks > last && wraps > 0) --wraps;  // read before the wrap the last reading made
      return (wraps << 32) | ticks;
    }
    if (ticks < last) ++wraps;
    const std::uint64_t next = (wraps << 32) | ticks;
    if (next == seen || state_.compare_exchange_weak(seen, next)) return next;
  }
}

}  // namespace cdflash::win32
