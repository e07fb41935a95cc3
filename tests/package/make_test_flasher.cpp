// Test helper: turns a copy of a built template into a flasher by writing the
// builder's package header and an image at the key-word (unsealed, any field
// text and any image), so the real program can be started in flash mode.
//
//   make_test_flasher IN OUT [--model T] [--inquiry T] [--range T] [--vendor T]
//                            [--note T] [--revision T] [--five-bank] [--image FILE]
//
// Without --image the slot gets a generated four-bank image (signature 05 80
// at 0x4000, the revision at 0xFFF0 where the simulated drive reads it);
// --five-bank puts the signature at 0x1100 instead.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "builder/FlasherImage.h"
#include "package/PackageView.h"
#include "support/TempFolder.h"

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

  std::vector<std::uint8_t> file = cdflash::test::ReadBytes(argv[1]);
  const std::size_t at = cdflash::FindKeyWordEnd(file, cdflash::PackageView::Embedded().KeyWord());
  if (at == cdflash::kNoKeyWord || file.size() - at < cdflash::kHeaderSize + cdflash::kSlotSize) {
    std::fprintf(stderr, "make_test_flasher: no package in %s\n", argv[1]);
    return 1;
  }
  // The header exactly as the builder writes it; the image is not sealed.
  const auto header = cdflash::MakePackageHeader(
      {opt["--model"], opt["--inquiry"], opt["--range"], opt["--vendor"], opt["--note"]}, opt["--revision"]);
  std::memcpy(file.data() + at, header.data(), header.size());

  std::uint8_t* slot = file.data() + at + cdflash::kHeaderSize;
  if (!imagePath.empty()) {
    const std::vector<std::uint8_t> image = cdflash::test::ReadBytes(imagePath);
    if (image.empty() || image.size() > cdflash::kSlotSize) {
      std::fprintf(stderr, "make_test_flasher: image %s is empty or larger than the slot\n",
                   imagePath.c_str());
      return 1;
    }
    std::memcpy(slot, image.data(), image.size());
  } else {
    for (std::size_t i = 0; i < cdflash::kSlotSize; ++i) {
      slot[i] = static_cast<std::uint8_t>((i * 7 + i / 251) & 0xFF);
    }
    const std::size_t signature = fiveBank ? 0x1100 : 0x4000;
    if (fiveBank) slot[0x4000] = 0;  // no four-bank signature
    slot[signature] = 0x05;
    slot[signature + 1] = 0x80;
    // The simulated drive takes its new revision from here when it commits.
    std::memcpy(slot + 0xFFF0, opt["--revision"].data(), std::min<std::size_t>(opt["--revision"].size(), 4));
  }

  cdflash::test::WriteBytes(argv[2], file);
  return cdflash::test::ReadBytes(argv[2]) == file ? 0 : 1;
}
