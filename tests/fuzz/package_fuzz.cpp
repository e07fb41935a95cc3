// The package view and the image-format test over any header and slot
// bytes: every text stays within its field, and the image length is one of
// the two the flasher knows.

#include <cstdint>
#include <vector>

#include "FuzzCheck.h"
#include "session/StartupTexts.h"
#include "package/PackageView.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace cdflash;
  // The input fills the header, then the slot bytes the format test and the
  // template test read (repeated when it is shorter); the rest stays zero.
  static std::vector<std::uint8_t> bytes(kPackageSize, 0);
  if (size == 0) return 0;
  std::size_t next = 0;
  const auto take = [&] { return data[next++ % size]; };
  for (std::size_t i = 0; i < kHeaderSize; ++i) bytes[kKeyWordSize + i] = take();
  const std::size_t slot = kKeyWordSize + kHeaderSize;
  for (const std::size_t at : {0u, 1u, 2u, 3u, 0x1100u, 0x1101u, 0x4000u, 0x4001u}) bytes[slot + at] = take();
  const PackageView view(std::span<const std::uint8_t, kPackageSize>(bytes.data(), kPackageSize));

  // A field without its NUL gives all of its 25 bytes, never more.
  for (const std::string& text : {view.ModelText(), view.VendorText(), view.RangeText(),
                                  view.LowerBound(), view.UpperBound()}) {
    FUZZ_CHECK(text.size() <= kFieldSize);
  }
  FUZZ_CHECK(view.RequiredIdentity().size() == 24);
  FUZZ_CHECK(view.PackageRevision().size() <= 4);
  for (const bool flag : {view.IsTemplate(), view.IsAnyDrive(), view.IsAnyRevision(), view.IsFlashAll()}) (void)flag;
  FUZZ_CHECK(!WarningText(view).empty() && !ErrorTextStart(view).empty());

  const ImageFormat format = ClassifyImage(view.Slot());
  FUZZ_CHECK(format.length == 0x40000 || format.length == 0x50000);
  FUZZ_CHECK(format.length <= kSlotSize);
  FUZZ_CHECK(!format.fiveBank || format.recognised);
  return 0;
}
