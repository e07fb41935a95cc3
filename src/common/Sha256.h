#pragma once
// SHA-256 (FIPS 180-4), small and dependency-free: the Windows program runs
// on systems whose crypto services have no SHA-256, and must stay small.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace cdflash {

inline constexpr std::size_t kSha256Size = 32;
using Sha256Digest = std::array<std::uint8_t, kSha256Size>;

class Sha256 {
 public:
  Sha256& Update(std::span<const std::uint8_t> bytes);
  // The digest of everything given to Update; the object is spent afterwards.
  Sha256Digest Finish();

 private:
  void Compress(const std::uint8_t* block);

  std::array<std::uint32_t, 8> state_ = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                         0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  std::array<std::uint8_t, 64> block_{};
  std::size_t used_ = 0;        // bytes waiting in block_
  std::uint64_t length_ = 0;    // bytes given in all
};

// Lower-case hex, two digits a byte, as checksum tools print a digest.
std::string DigestHex(std::span<const std::uint8_t> digest);

}  // namespace cdflash
