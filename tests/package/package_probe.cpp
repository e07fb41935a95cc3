// Looks at the firmware package of a built executable.
//   package_probe                 exit 10 when this program's own slot is a template, 11 when it is
//                                 a flasher, 12 when a flasher whose digest does not match
//   package_probe --check FILE    exit 0 when FILE holds the key-word and the digest marker exactly
//                                 once each and its slot, 148 bytes after the key-word, begins with "BLNK"
//   package_probe --patch IN OUT  copy IN to OUT with the slot's first bytes replaced, so OUT is a
//                                 flasher, and a digest that does not match it
// The key-word and the marker are taken from this program's own blocks, never written out here.

#include <cstdio>
#include <cstring>
#include <vector>

#include "package/PackageDigest.h"
#include "package/PackageView.h"
#include "support/TempFolder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<std::size_t> FindMarker(const Bytes& file, std::span<const std::uint8_t> key) {
  std::vector<std::size_t> hits;
  for (std::size_t i = 0; i + key.size() <= file.size(); ++i) {
    if (std::memcmp(file.data() + i, key.data(), key.size()) == 0) hits.push_back(i);
  }
  return hits;
}

constexpr std::size_t kSlotFromKeyWord = cdflash::kKeyWordSize + cdflash::kHeaderSize;

}  // namespace

int main(int argc, char** argv) {
  if (argc == 1) {
    const cdflash::PackageView own = cdflash::PackageView::Embedded();
    if (own.IsTemplate()) return 10;
    return cdflash::CheckPackageDigest(own) == cdflash::DigestCheck::Damaged ? 12 : 11;
  }

  if (argc == 3 && std::strcmp(argv[1], "--check") == 0) {
    const Bytes file = cdflash::test::ReadBytes(argv[2]);
    const std::vector<std::size_t> hits = FindMarker(file, cdflash::PackageView::Embedded().KeyWord());
    std::printf("%s: key-word found %zu time(s)\n", argv[2], hits.size());
    const std::size_t markers = FindMarker(file, cdflash::EmbeddedDigestMarker()).size();
    std::printf("%s: digest marker found %zu time(s)\n", argv[2], markers);
    if (hits.size() != 1 || markers != 1) return 1;
    if (hits[0] + cdflash::kPackageSize > file.size()) {
      std::printf("the file ends inside the package: the slot is not stored in it\n");
      return 1;
    }
    const std::size_t slot = hits[0] + kSlotFromKeyWord;
    if (slot + 4 > file.size() || std::memcmp(file.data() + slot, "BLNK", 4) != 0) {
      std::printf("slot at %zu does not begin with the template marker\n", slot);
      return 1;
    }
    std::printf("template marker at file offset %zu\n", slot);
    return 0;
  }

  if (argc == 4 && std::strcmp(argv[1], "--patch") == 0) {
    Bytes file = cdflash::test::ReadBytes(argv[2]);
    const std::vector<std::size_t> hits = FindMarker(file, cdflash::PackageView::Embedded().KeyWord());
    if (hits.size() != 1 || hits[0] + kSlotFromKeyWord + 4 > file.size()) return 1;
    std::memcpy(file.data() + hits[0] + kSlotFromKeyWord, "FWIM", 4);
    const std::vector<std::size_t> markers = FindMarker(file, cdflash::EmbeddedDigestMarker());
    const std::size_t digestAt = markers.empty() ? file.size() : markers[0] + cdflash::kDigestMarkerSize;
    if (markers.size() != 1 || digestAt + cdflash::kSha256Size > file.size()) return 1;
    std::memset(file.data() + digestAt, 0x11, cdflash::kSha256Size);
    cdflash::test::WriteBytes(argv[3], file);
    return cdflash::test::ReadBytes(argv[3]) == file ? 0 : 1;
  }

  std::fprintf(stderr, "usage: package_probe [--check FILE | --patch IN OUT]\n");
  return 2;
}
