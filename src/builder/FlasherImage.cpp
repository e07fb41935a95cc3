#include "builder/FlasherImage.h"

#include <algorithm>
#include <cstring>

#include "common/Sha256.h"
#include "common/Text.h"
#include "package/PackageView.h"

namespace cdflash {
namespace {

void PutText(std::uint8_t* field, std::size_t size, const std::string& text) {
  const std::string cut = FieldText(text);  // a text ends at its first NUL
  std::copy_n(cut.begin(), std::min(cut.size(), size - 1), field);
}

}  // namespace

std::size_t FindKeyWordEnd(std::span<const std::uint8_t> file, std::span<const std::uint8_t> keyWord) {
  const std::size_t size = keyWord.size();
  if (size == 0 || file.size() < size) return kNoKeyWord;
  // memchr jumps to the next byte that could start a key-word, scanning many
  // bytes at a time; only there are the other bytes compared. Places are
  // tried in file order, so the first whole key-word is the one found.
  const std::uint8_t* const lastStart = file.data() + (file.size() - size);
  for (const std::uint8_t* at = file.data(); at <= lastStart; ++at) {
    const std::size_t left = static_cast<std::size_t>(lastStart - at) + 1;
    at = static_cast<const std::uint8_t*>(std::memchr(at, keyWord[0], left));
    if (at == nullptr) return kNoKeyWord;
    if (std::memcmp(at + 1, keyWord.data() + 1, size - 1) == 0) {
      return static_cast<std::size_t>(at - file.data()) + size;
    }
  }
  return kNoKeyWord;
}

bool HoldsFlasherPackage(std::span<const std::uint8_t> file,
                         std::span<const std::uint8_t, kKeyWordSize> keyWord) {
  const std::size_t headerAt = FindKeyWordEnd(file, keyWord);
  if (headerAt == kNoKeyWord || file.size() - headerAt < kHeaderSize + kSlotSize) return false;
  static constexpr std::uint8_t kTemplateMarker[4] = {'B', 'L', 'N', 'K'};
  return std::memcmp(file.data() + headerAt + kHeaderSize, kTemplateMarker, sizeof kTemplateMarker) != 0;
}

std::size_t FindDigestAt(std::span<const std::uint8_t> file, std::span<const std::uint8_t> marker,
                         std::size_t headerAt) {
  const std::size_t at = FindKeyWordEnd(file, marker);
  if (at == kNoKeyWord || FindKeyWordEnd(file.subspan(at), marker) != kNoKeyWord) return kNoKeyWord;
  if (file.size() - at < kSha256Size) return kNoKeyWord;
  const std::size_t packageStart = headerAt - kKeyWordSize;
  const std::size_t packageEnd = headerAt + kHeaderSize + kSlotSize;
  const bool overlaps = at - marker.size() < packageEnd && at + kSha256Size > packageStart;
  return overlaps ? kNoKeyWord : at;
}

std::array<std::uint8_t, kHeaderSize> MakePackageHeader(const HeaderTexts& texts,
                                                        const std::string& upperBinName) {
  std::array<std::uint8_t, kHeaderSize> header{};
  PutText(header.data() + kModelOffset, kFieldSize, texts.model);
  PutText(header.data() + kInquiryOffset, kFieldSize, texts.inquiry);
  PutText(header.data() + kFwRangeOffset, kFieldSize, texts.fwRange);
  PutText(header.data() + kVendorOffset, kFieldSize, texts.vendor);
  PutText(header.data() + kNoteOffset, kFieldSize, texts.note);
  const std::string revision = FieldText(upperBinName);
  std::copy_n(revision.begin(), std::min(revision.size(), kRevisionFieldSize),
              header.data() + kRevisionOffset);
  return header;
}

std::string FlasherFileName(const std::string& binName) {
  return RightAligned(FieldText(binName), 4) + ".EXE";
}

}  // namespace cdflash
