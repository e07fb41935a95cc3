#pragma once
// Read-only view of a firmware package: key-word, 133-byte header and image
// slot, and the digest the builder stored beside it. It wraps the blocks
// embedded in the program or any buffers of the same layout (tests, a file
// being checked).

#include <cstdint>
#include <span>
#include <string>

#include "common/Sha256.h"
#include "package/DigestBlock.h"
#include "package/FirmwareBlock.h"

namespace cdflash {

inline constexpr std::size_t kFieldSize = 25;
inline constexpr std::size_t kRevisionFieldSize = 5;

// Header offsets, from the start of the header.
inline constexpr std::size_t kModelOffset = 0;
inline constexpr std::size_t kInquiryOffset = 25;
inline constexpr std::size_t kFwRangeOffset = 50;
inline constexpr std::size_t kVendorOffset = 75;
inline constexpr std::size_t kNoteOffset = 100;
inline constexpr std::size_t kRevisionOffset = 125;

inline constexpr std::uint32_t kFourBankLength = 0x40000;
inline constexpr std::uint32_t kFiveBankLength = 0x50000;

using Field = std::span<const std::uint8_t, kFieldSize>;

class PackageView {
 public:
  // `package` starts at the key-word; `digest` is the stored digest, zeros
  // when the package was never sealed.
  explicit PackageView(std::span<const std::uint8_t, kPackageSize> package,
                       std::span<const std::uint8_t, kSha256Size> digest = NoDigest())
      : bytes_(package), digest_(digest) {}
  static PackageView Embedded() { return PackageView(EmbeddedPackage(), EmbeddedDigest()); }
  static std::span<const std::uint8_t, kSha256Size> NoDigest();

  std::span<const std::uint8_t, kKeyWordSize> KeyWord() const { return bytes_.first<kKeyWordSize>(); }
  std::span<const std::uint8_t, kHeaderSize> Header() const {
    return bytes_.subspan<kKeyWordSize, kHeaderSize>();
  }
  Field Model() const { return Header().subspan<kModelOffset, kFieldSize>(); }
  Field Inquiry() const { return Header().subspan<kInquiryOffset, kFieldSize>(); }
  Field FwRange() const { return Header().subspan<kFwRangeOffset, kFieldSize>(); }
  Field Vendor() const { return Header().subspan<kVendorOffset, kFieldSize>(); }
  Field Note() const { return Header().subspan<kNoteOffset, kFieldSize>(); }
  std::span<const std::uint8_t, kRevisionFieldSize> RevisionField() const {
    return Header().subspan<kRevisionOffset, kRevisionFieldSize>();
  }
  std::span<const std::uint8_t, kSlotSize> Slot() const {
    return bytes_.subspan<kKeyWordSize + kHeaderSize, kSlotSize>();
  }
  std::span<const std::uint8_t, kSha256Size> StoredDigest() const { return digest_; }

  // The slot begins with the template marker "BLNK" (byte for byte).
  bool IsTemplate() const;
  // FW-Range characters 0 and 5 are both '-'.
  bool IsAnyRevision() const;
  // Inquiry characters 0 and 1 are both '-'.
  bool IsAnyDrive() const;
  // The first nine bytes of Note are "FLASH-ALL".
  bool IsFlashAll() const;

  // Working texts.
  std::string VendorText() const;        // "%s" of Vendor
  std::string ModelText() const;         // "%s" of Model
  std::string RequiredIdentity() const;  // "%-24.24s" of Inquiry
  std::string RangeText() const;         // "%9.9s" of FW-Range
  std::string LowerBound() const;        // "%4.4s" of FW-Range
  std::string UpperBound() const;        // "%4.4s" of FW-Range from character 5
  std::string PackageRevision() const;   // "%4.4s" of the revision field

 private:
  std::span<const std::uint8_t, kPackageSize> bytes_;
  std::span<const std::uint8_t, kSha256Size> digest_;
};

// Result of the image format test.
struct ImageFormat {
  std::uint32_t length;
  bool fiveBank;
  bool recognised;  // one of the two signatures was found
};

// Signature 05 80 at slot offset 0x4000 gives a four-bank image; else 05 80 at
// 0x1100 a five-bank image; else an unrecognised image, flashed as four banks.
// `slot` is a flasher's slot, or the start of one as the builder will write it:
// a signature past its end counts as absent.
ImageFormat ClassifyImage(std::span<const std::uint8_t> slot);

}  // namespace cdflash
