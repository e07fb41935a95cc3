#include "builder/FlasherImage.h"

#include <algorithm>
#include <functional>

#include "common/Text.h"
#include "package/PackageView.h"

namespace cdflash {
namespace {

void PutText(std::uint8_t* field, std::size_t size, const std::string& text) {
  const std::string cut = FieldText(text);  // a text ends at its first NUL
  std::copy_n(cut.begin(), std::min(cut.size(), size - 1), field);
}

}  // namespace

std::size_t FindKeyWordEnd(std::span<const std::uint8_t> file,
                           std::span<const std::uint8_t, kKeyWordSize> keyWord) {
  const auto found = std::search(file.begin(), file.end(),
                                 std::boyer_moore_horspool_searcher(keyWord.begin(), keyWord.end()));
  if (found == file.end()) return kNoKeyWord;
  return static_cast<std::size_t>(found - file.begin()) + kKeyWordSize;
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
