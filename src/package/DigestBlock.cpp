#include "package/DigestBlock.h"

#include <array>
#include <cstddef>

#include "package/Opaque.h"

namespace cdflash {
namespace {

struct DigestBlock {
  std::array<std::uint8_t, kDigestMarkerSize> marker;
  std::array<std::uint8_t, kSha256Size> digest;
};
static_assert(sizeof(DigestBlock) == kDigestMarkerSize + kSha256Size);

}  // namespace

// Writable initialised data, kept though nothing names it from outside: the
// builder rewrites the digest in the file. The marker is spelled here alone,
// so it occurs once in the program file.
[[gnu::used]] DigestBlock g_digestBlock = {
    {'F', 'W', 'P', 'K', 'G', '-', 'S', 'H', 'A', '2', '5', '6', '-', '1', 0, 0},
    {},
};

std::span<const std::uint8_t, kDigestMarkerSize> EmbeddedDigestMarker() {
  return std::span<const std::uint8_t, kDigestMarkerSize>(Opaque(&g_digestBlock), kDigestMarkerSize);
}

std::span<const std::uint8_t, kSha256Size> EmbeddedDigest() {
  return std::span<const std::uint8_t, kSha256Size>(Opaque(&g_digestBlock) + kDigestMarkerSize, kSha256Size);
}

}  // namespace cdflash
