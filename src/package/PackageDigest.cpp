#include "package/PackageDigest.h"

#include <algorithm>

namespace cdflash {
namespace {

bool IsZero(std::span<const std::uint8_t> bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; });
}

}  // namespace

Sha256Digest PackageDigest(std::span<const std::uint8_t, kHeaderSize> header, std::span<const std::uint8_t> slot) {
  const std::size_t sent = std::min<std::size_t>(ClassifyImage(slot).length, slot.size());
  return Sha256().Update(header).Update(slot.first(sent)).Finish();
}

DigestCheck CheckPackageDigest(const PackageView& package) {
  const auto stored = package.StoredDigest();
  if (IsZero(stored)) return DigestCheck::NotSealed;
  const Sha256Digest actual = PackageDigest(package.Header(), package.Slot());
  return std::equal(actual.begin(), actual.end(), stored.begin()) ? DigestCheck::Intact : DigestCheck::Damaged;
}

std::string StoredDigestHex(const PackageView& package) {
  return IsZero(package.StoredDigest()) ? std::string() : DigestHex(package.StoredDigest());
}

}  // namespace cdflash
