#pragma once
// The firmware block that every copy of the program carries in its initialised
// data: profile pool, profile table, key-word, package header and image slot,
// contiguous and in this order. The builder finds it in the executable file by
// the key-word and rewrites header and slot there.

#include <cstddef>
#include <cstdint>
#include <span>

namespace cdflash {

inline constexpr std::size_t kProfilePoolSize = 766;
inline constexpr std::size_t kProfileTableSize = 8;   // 2 entries of 4 bytes
inline constexpr std::size_t kKeyWordSize = 15;       // 14 characters and a NUL
inline constexpr std::size_t kHeaderSize = 133;
inline constexpr std::size_t kSlotSize = 0x50000;     // five banks of 64 KiB
inline constexpr std::size_t kPackageSize = kKeyWordSize + kHeaderSize + kSlotSize;
inline constexpr std::size_t kBlockSize = kProfilePoolSize + kProfileTableSize + kPackageSize;

// The whole embedded block, read through an optimisation barrier so that no
// read of it is ever folded into a constant from its initialiser.
std::span<const std::uint8_t, kBlockSize> EmbeddedBlock();

// Parts of the embedded block.
std::span<const std::uint8_t, kProfilePoolSize> EmbeddedProfilePool();
std::span<const std::uint8_t, kProfileTableSize> EmbeddedProfileTable();
std::span<const std::uint8_t, kPackageSize> EmbeddedPackage();  // starts at the key-word

}  // namespace cdflash
