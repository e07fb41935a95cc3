#include "package/FirmwareBlock.h"

#include <array>
#include <cstddef>

#include "package/Opaque.h"

namespace cdflash {
namespace {

// Member order is the file order; all members are byte arrays, so there is no padding.
struct Block {
  std::array<std::uint8_t, kProfilePoolSize> profilePool;
  std::array<std::uint8_t, kProfileTableSize> profileTable;
  std::array<std::uint8_t, kKeyWordSize> keyWord;
  std::array<std::uint8_t, kHeaderSize> header;
  std::array<std::uint8_t, kSlotSize> slot;
};
static_assert(sizeof(Block) == kBlockSize);
static_assert(offsetof(Block, keyWord) == kProfilePoolSize + kProfileTableSize);
static_assert(offsetof(Block, slot) - offsetof(Block, keyWord) == kKeyWordSize + kHeaderSize);

// Profile bodies of our own making: 314 bytes for entry 0 then 452 for entry 1.
// A small linear congruential sequence, seeded per entry, so each body is
// distinct and reproducible.
constexpr std::array<std::uint8_t, kProfilePoolSize> MakeProfilePool() {
  std::array<std::uint8_t, kProfilePoolSize> pool{};
  std::uint32_t state = 0xDAC8013Au;
  for (std::size_t i = 0; i < pool.size(); ++i) {
    if (i == 314) state = 0xBFB401C4u;
    state = state * 1664525u + 1013904223u;
    pool[i] = static_cast<std::uint8_t>(state >> 24);
  }
  return pool;
}

}  // namespace

// Writable initialised data, kept even though nothing names it from outside:
// the builder rewrites it in the file, so it must never become reserved space.
[[gnu::used]] Block g_firmwareBlock = {
    MakeProfilePool(),
    {0xDA, 0xC8, 0x01, 0x3A, 0xBF, 0xB4, 0x01, 0xC4},
    {'F', 'W', 'P', 'K', 'G', '-', 'M', 'A', 'R', 'K', 'E', 'R', '-', '1', 0},
    {},
    {'B', 'L', 'N', 'K'},
};

std::span<const std::uint8_t, kBlockSize> EmbeddedBlock() {
  return std::span<const std::uint8_t, kBlockSize>(Opaque(&g_firmwareBlock), kBlockSize);
}

std::span<const std::uint8_t, kProfilePoolSize> EmbeddedProfilePool() {
  return EmbeddedBlock().subspan<0, kProfilePoolSize>();
}

std::span<const std::uint8_t, kProfileTableSize> EmbeddedProfileTable() {
  return EmbeddedBlock().subspan<kProfilePoolSize, kProfileTableSize>();
}

std::span<const std::uint8_t, kPackageSize> EmbeddedPackage() {
  return EmbeddedBlock().subspan<kProfilePoolSize + kProfileTableSize, kPackageSize>();
}

}  // namespace cdflash
