#pragma once
// A firmware package in a test buffer, laid out like the embedded one, with
// helpers to fill header fields and slot bytes.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "package/PackageDigest.h"
#include "package/PackageView.h"

namespace cdflash::test {

class TestPackage {
 public:
  TestPackage() : bytes_(kPackageSize, 0) { SetSlot(0, "FWIM"); }

  // A text field: the characters (at most 24 kept by callers), then zero bytes.
  TestPackage& SetField(std::size_t headerOffset, const std::string& text,
                        std::size_t fieldSize = kFieldSize) {
    std::uint8_t* field = Header() + headerOffset;
    std::fill(field, field + fieldSize, 0);
    std::memcpy(field, text.data(), std::min(text.size(), fieldSize));
    return *this;
  }
  TestPackage& Model(const std::string& t) { return SetField(kModelOffset, t); }
  TestPackage& Inquiry(const std::string& t) { return SetField(kInquiryOffset, t); }
  TestPackage& FwRange(const std::string& t) { return SetField(kFwRangeOffset, t); }
  TestPackage& Vendor(const std::string& t) { return SetField(kVendorOffset, t); }
  TestPackage& Note(const std::string& t) { return SetField(kNoteOffset, t); }
  TestPackage& Revision(const std::string& t) {
    return SetField(kRevisionOffset, t, kRevisionFieldSize);
  }
  TestPackage& SetSlot(std::size_t offset, const std::string& bytes) {
    std::memcpy(Slot() + offset, bytes.data(), bytes.size());
    return *this;
  }
  TestPackage& SetSlotByte(std::size_t offset, std::uint8_t value) {
    Slot()[offset] = value;
    return *this;
  }

  // Stores the digest of the header and image as they are now, as the
  // builder does; later changes to either no longer match it.
  TestPackage& Seal() {
    digest_ = PackageDigest(View().Header(), View().Slot());
    return *this;
  }

  std::uint8_t* Header() { return bytes_.data() + kKeyWordSize; }
  std::uint8_t* Slot() { return bytes_.data() + kKeyWordSize + kHeaderSize; }

  PackageView View() const {
    return PackageView(std::span<const std::uint8_t, kPackageSize>(bytes_.data(), kPackageSize), digest_);
  }

 private:
  std::vector<std::uint8_t> bytes_;
  Sha256Digest digest_{};  // zeros: not sealed
};

}  // namespace cdflash::test
