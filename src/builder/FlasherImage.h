#pragma once
// The byte layout of a flasher written from a template: where the package
// is found in the template file, the header that goes after the key-word,
// and the name of the new file.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "package/FirmwareBlock.h"

namespace cdflash {

inline constexpr std::size_t kNoKeyWord = static_cast<std::size_t>(-1);

// The position just after the first occurrence of the key-word (or of any
// other marker) in `file`; kNoKeyWord when there is none.
std::size_t FindKeyWordEnd(std::span<const std::uint8_t> file, std::span<const std::uint8_t> keyWord);

// Whether `file` holds a flasher: a whole package after its key-word whose
// slot does not begin with the template marker.
bool HoldsFlasherPackage(std::span<const std::uint8_t> file,
                         std::span<const std::uint8_t, kKeyWordSize> keyWord);

// Where a flasher's digest goes in `file`: just after `marker`, which must
// occur exactly once, with room for the digest and outside the package whose
// header starts at `headerAt`; kNoKeyWord otherwise.
std::size_t FindDigestAt(std::span<const std::uint8_t> file, std::span<const std::uint8_t> marker,
                         std::size_t headerAt);

// The five header texts of a model in their stored forms.
struct HeaderTexts {
  std::string model;
  std::string inquiry;
  std::string fwRange;
  std::string vendor;
  std::string note;
};

// The 133-byte header: each text cut to 24 characters, a NUL and zero bytes
// to 25; the revision field the first five characters of the upper-cased
// BIN name, zero-filled; three zero bytes.
std::array<std::uint8_t, kHeaderSize> MakePackageHeader(const HeaderTexts& texts,
                                                        const std::string& upperBinName);

// "%4.4s.EXE" of the BIN name: its first four characters, case kept, right
// aligned with blanks when shorter.
std::string FlasherFileName(const std::string& binName);

}  // namespace cdflash
