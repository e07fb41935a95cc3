// Looks at the firmware package of a built executable.
//   package_probe                 exit 10 when this program's own slot is a template, 11 otherwise
//   package_probe --check FILE    exit 0 when FILE holds the key-word exactly once and its slot,
//                                 148 bytes after the key-word, begins with "BLNK"
//   package_probe --patch IN OUT  copy IN to OUT with the slot's first bytes replaced, so OUT is a flasher
// The key-word is taken from this program's own block, never written out here.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "package/PackageView.h"

namespace {

std::vector<char> ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::size_t> FindKeyWord(const std::vector<char>& file) {
  const auto key = cdflash::PackageView::Embedded().KeyWord();
  std::vector<std::size_t> hits;
  for (std::size_t i = 0; i + key.size() <= file.size(); ++i) {
    if (std::memcmp(file.data() + i, key.data(), key.size()) == 0) hits.push_back(i);
  }
  return hits;
}

constexpr std::size_t kSlotFromKeyWord = cdflash::kKeyWordSize + cdflash::kHeaderSize;

}  // namespace

int main(int argc, char** argv) {
  if (argc == 1) return cdflash::PackageView::Embedded().IsTemplate() ? 10 : 11;

  if (argc == 3 && std::strcmp(argv[1], "--check") == 0) {
    const std::vector<char> file = ReadFile(argv[2]);
    const std::vector<std::size_t> hits = FindKeyWord(file);
    std::printf("%s: key-word found %zu time(s)\n", argv[2], hits.size());
    if (hits.size() != 1) return 1;
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
    std::vector<char> file = ReadFile(argv[2]);
    const std::vector<std::size_t> hits = FindKeyWord(file);
    if (hits.size() != 1 || hits[0] + kSlotFromKeyWord + 4 > file.size()) return 1;
    std::memcpy(file.data() + hits[0] + kSlotFromKeyWord, "FWIM", 4);
    std::ofstream out(argv[3], std::ios::binary);
    out.write(file.data(), static_cast<std::streamsize>(file.size()));
    return out ? 0 : 1;
  }

  std::fprintf(stderr, "usage: package_probe [--check FILE | --patch IN OUT]\n");
  return 2;
}
