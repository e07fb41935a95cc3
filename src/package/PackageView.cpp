#include "package/PackageView.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "common/Text.h"

namespace cdflash {

std::span<const std::uint8_t, kSha256Size> PackageView::NoDigest() {
  static constexpr std::array<std::uint8_t, kSha256Size> kZeros{};
  return kZeros;
}

bool PackageView::IsTemplate() const {
  static constexpr std::uint8_t kMarker[4] = {'B', 'L', 'N', 'K'};
  return std::equal(std::begin(kMarker), std::end(kMarker), Slot().begin());
}

bool PackageView::IsAnyRevision() const { return FwRange()[0] == '-' && FwRange()[5] == '-'; }

bool PackageView::IsAnyDrive() const { return Inquiry()[0] == '-' && Inquiry()[1] == '-'; }

bool PackageView::IsFlashAll() const { return std::memcmp(Note().data(), "FLASH-ALL", 9) == 0; }

std::string PackageView::VendorText() const { return FieldText(Vendor()); }
std::string PackageView::ModelText() const { return FieldText(Model()); }
std::string PackageView::RequiredIdentity() const { return LeftAligned(FieldText(Inquiry()), 24); }
std::string PackageView::RangeText() const { return RightAligned(FieldText(FwRange()), 9); }
std::string PackageView::LowerBound() const { return RightAligned(FieldText(FwRange()), 4); }
std::string PackageView::UpperBound() const {
  return RightAligned(FieldText(FwRange().subspan<5>()), 4);
}
std::string PackageView::PackageRevision() const {
  return RightAligned(FieldText(RevisionField()), 4);
}

ImageFormat ClassifyImage(std::span<const std::uint8_t> slot) {
  const auto signatureAt = [&slot](std::size_t at) {
    return at + 1 < slot.size() && slot[at] == 0x05 && slot[at + 1] == 0x80;
  };
  if (signatureAt(0x4000)) return {kFourBankLength, false, true};
  if (signatureAt(0x1100)) return {kFiveBankLength, true, true};
  return {kFourBankLength, false, false};
}

}  // namespace cdflash
