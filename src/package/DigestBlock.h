#pragma once
// The digest block every copy of the program carries beside its firmware
// block: a marker of its own, then the SHA-256 of the package header and of
// the image the flasher sends. The builder finds the block in the executable
// file by the marker and writes the digest there; a copy that was never
// built (a template) or built without it holds zeros.

#include <cstddef>
#include <cstdint>
#include <span>

#include "common/Sha256.h"

namespace cdflash {

inline constexpr std::size_t kDigestMarkerSize = 16;

// The marker and the stored digest, read through an optimisation barrier.
std::span<const std::uint8_t, kDigestMarkerSize> EmbeddedDigestMarker();
std::span<const std::uint8_t, kSha256Size> EmbeddedDigest();

}  // namespace cdflash
