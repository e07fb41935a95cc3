#pragma once
// The digest that seals a flasher: SHA-256 of its package header followed
// by the image bytes it sends (the length the image format test gives). A
// download cut short or a changed byte in the slot no longer matches it, and
// such a flasher must not flash: the read-back would compare the drive with
// the damaged slot and verify.

#include <cstdint>
#include <span>
#include <string>

#include "common/Sha256.h"
#include "package/PackageView.h"

namespace cdflash {

// `slot` as in ClassifyImage: a flasher's slot, or the part of it the file holds.
Sha256Digest PackageDigest(std::span<const std::uint8_t, kHeaderSize> header, std::span<const std::uint8_t> slot);

enum class DigestCheck {
  NotSealed,  // the stored digest is zeros: a template, or built without a digest
  Intact,
  Damaged,
};

DigestCheck CheckPackageDigest(const PackageView& package);

// The stored digest in hex; empty when there is none.
std::string StoredDigestHex(const PackageView& package);

}  // namespace cdflash
