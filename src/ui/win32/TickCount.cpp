#include "ui/win32/TickCount.h"

namespace cdflash::win32 {

std::uint64_t TickExtender::Extend(std::uint32_t ticks) {
  std::uint64_t seen = state_.load();
  for (;;) {
    std::uint64_t wraps = seen >> 32;
    if (ticks < static_cast<std::uint32_t>(seen)) ++wraps;
    const std::uint64_t next = (wraps << 32) | ticks;
    // Another thread may have moved on meanwhile: then judge against its reading.
    if (next == seen || state_.compare_exchange_weak(seen, next)) return next;
  }
}

}  // namespace cdflash::win32
