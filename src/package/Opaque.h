#pragma once
// An optimisation barrier for the blocks the builder rewrites in the file.

#include <cstdint>

namespace cdflash {

// The asm statement hides where the pointer comes from, so the compiler must
// read the bytes at run time instead of using the initialiser's values.
inline const std::uint8_t* Opaque(const void* p) {
  asm volatile("" : "+r"(p));
  return static_cast<const std::uint8_t*>(p);
}

}  // namespace cdflash
