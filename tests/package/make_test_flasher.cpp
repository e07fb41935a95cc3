// Test helper: turns a copy of a built template into a flasher by writing a
// package header and an image at the key-word, the way the builder lays them
// out, so the real program can be started in flash mode.
//
//   make_test_flasher IN OUT [--model T] [--inquiry T] [--range T] [--vendor T]
//                            [--note T] [--revision T] [--five-bank] [--image FILE]
//
// Without --image the slot gets a generated four-bank image (signature 05 80
// at 0x4000, the revision at 0xFFF0 where the simulated drive reads it);
// --five-bank puts the signature at 0x1100 instead.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "package/PackageView.h"

namespace {

std::vector<char> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void PutField(char* field, const std::string& text, std::size_t size) {
  std::memset(field, 0, size);
  std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: make_test_flasher IN OUT [--field value]...\n");
    return 2;
  }
  std::map<std::string, std::string> opt = {{"--model", "CRW-4012"},
                                            {"--inquiry", "ACME    CRW-4012A"},
                                            {"--range", "1.00-1.50"},
                                            {"--vendor", "ACME"},
                                            {"--note", ""},
                                            {"--revision", "1.60."}};
  bool fiveBank = false;
  std::string imagePath;
  for (int i = 3; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--five-bank") {
      fiveBank = true;
    } else if (i + 1 < argc && a == "--image") {
      imagePath = argv[++i];
    } else if (i + 1 < argc && opt.count(a)) {
      opt[a] = argv[++i];
    } else {
      std::fprintf(stderr, "make_test_flasher: unknown option %s\n", a.c_str());
      return 2;
    }
  }

  std::vector<char> file = ReadFile(argv[1]);
  const auto key = cdflash::PackageView::Embedded().KeyWord();
  std::size_t at = file.size();
  for (std::size_t i = 0; i + key.size() <= file.size(); ++i) {
    if (std::memcmp(file.data() + i, key.data(), key.size()) == 0) {
      at = i;
      break;
    }
  }
  if (at == file.size() || at + cdflash::kPackageSize > file.size()) {
    std::fprintf(stderr, "make_test_flasher: no package in %s\n", argv[1]);
    return 1;
  }

  char* header = file.data() + at + cdflash::kKeyWordSize;
  PutField(header + cdflash::kModelOffset, opt["--model"], cdflash::kFieldSize);
  PutField(header + cdflash::kInquiryOffset, opt["--inquiry"], cdflash::kFieldSize);
  PutField(header + cdflash::kFwRangeOffset, opt["--range"], cdflash::kFieldSize);
  PutField(header + cdflash::kVendorOffset, opt["--vendor"], cdflash::kFieldSize);
  PutField(header + cdflash::kNoteOffset, opt["--note"], cdflash::kFieldSize);
  std::memset(header + cdflash::kRevisionOffset, 0, 8);
  std::memcpy(header + cdflash::kRevisionOffset, opt["--revision"].data(),
              std::min<std::size_t>(opt["--revision"].size(), cdflash::kRevisionFieldSize));

  char* slot = header + cdflash::kHeaderSize;
  if (!imagePath.empty()) {
    const std::vector<char> image = ReadFile(imagePath);
    if (image.empty() || image.size() > cdflash::kSlotSize) {
      std::fprintf(stderr, "make_test_flasher: image %s is empty or larger than the slot\n",
                   imagePath.c_str());
      return 1;
    }
    std::memcpy(slot, image.data(), image.size());
  } else {
    for (std::size_t i = 0; i < cdflash::kSlotSize; ++i) {
      slot[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    }
    const std::size_t signature = fiveBank ? 0x1100 : 0x4000;
    if (fiveBank) slot[0x4000] = 0;  // no four-bank signature
    slot[signature] = 0x05;
    slot[signature + 1] = static_cast<char>(0x80);
    // The simulated drive takes its new revision from here when it commits.
    std::memcpy(slot + 0xFFF0, opt["--revision"].data(), std::min<std::size_t>(opt["--revision"].size(), 4));
  }

  std::ofstream out(argv[2], std::ios::binary);
  out.write(file.data(), static_cast<std::streamsize>(file.size()));
  return out ? 0 : 1;
}
