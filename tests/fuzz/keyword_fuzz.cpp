// The builder's key-word search over any template bytes: the position it
// finds is the end of the first occurrence, as a plain search finds it.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "FuzzCheck.h"
#include "builder/FlasherImage.h"
#include "package/PackageView.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace cdflash;
  const auto keyWord = PackageView::Embedded().KeyWord();
  // Inputs seldom hold the key-word: a byte 0xFF in the input is replaced by
  // the key-word's next byte, so that partial and whole occurrences come up.
  std::vector<std::uint8_t> file(data, data + size);
  std::size_t next = 0;
  for (std::uint8_t& b : file) {
    if (b == 0xFF) b = keyWord[next++ % keyWord.size()];
  }
  const std::size_t found = FindKeyWordEnd(file, keyWord);
  const auto plain = std::search(file.begin(), file.end(), keyWord.begin(), keyWord.end());
  const std::size_t expected =
      plain == file.end() ? kNoKeyWord : static_cast<std::size_t>(plain - file.begin()) + keyWord.size();
  FUZZ_CHECK(found == expected);
  return 0;
}
