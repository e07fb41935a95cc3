#include "AttachAnswers.h"

namespace cdflash::tcmu {

namespace {

constexpr std::uint8_t kModeSense6 = 0x1A;
constexpr std::uint8_t kModeSense10 = 0x5A;
constexpr std::uint8_t kGetConfiguration = 0x46;
constexpr std::uint8_t kGetEventStatus = 0x4A;
constexpr std::uint8_t kCapabilitiesPage = 0x2A;
constexpr std::uint8_t kModeSelect6 = 0x15;
constexpr std::uint8_t kModeSelect10 = 0x55;
constexpr std::uint8_t kWriteBuffer = 0x3B;

// Page 2Ah: reads and writes CD-R and CD-RW, ejects, 24x.
std::vector<std::uint8_t> CapabilitiesPage() {
  std::vector<std::uint8_t> page(22, 0);
  page[0] = kCapabilitiesPage;
  page[1] = static_cast<std::uint8_t>(page.size() - 2);
  page[2] = 0x03;  // reads CD-R, CD-RW
  page[3] = 0x03;  // writes CD-R, CD-RW
  page[6] = 0x29;  // lock, eject, tray
  page[8] = 0x10;  // maximum read speed 4224 kB/s (24x)
  page[9] = 0x80;
  page[14] = 0x10;  // current read speed
  page[15] = 0x80;
  return page;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> AttachAnswer(std::span<const std::uint8_t> cdb) {
  if (cdb.empty()) return std::nullopt;
  switch (cdb[0]) {
    case kModeSense6:
    case kModeSense10: {
      if (cdb.size() < 3 || (cdb[2] & 0x3F) != kCapabilitiesPage) return std::nullopt;
      const std::vector<std::uint8_t> page = CapabilitiesPage();
      std::vector<std::uint8_t> answer(cdb[0] == kModeSense6 ? 4 : 8, 0);
      const std::size_t length = answer.size() + page.size();
      if (cdb[0] == kModeSense6) {
        answer[0] = static_cast<std::uint8_t>(length - 1);
      } else {
        answer[1] = static_cast<std::uint8_t>(length - 2);
      }
      answer.insert(answer.end(), page.begin(), page.end());
      return answer;
    }
    case kGetConfiguration:
      // The header alone, the current profile CD-RW (000Ah): no feature.
      return std::vector<std::uint8_t>{0, 0, 0, 4, 0, 0, 0, 0x0A};
    case kGetEventStatus:
      // No event available; the media class is supported.
      return std::vector<std::uint8_t>{0, 2, 0x80, 0x10};
    default:
      return std::nullopt;
  }
}

bool CarriesDataOut(std::span<const std::uint8_t> cdb) {
  if (cdb.empty()) return false;
  return cdb[0] == kWriteBuffer || cdb[0] == kModeSelect6 || cdb[0] == kModeSelect10;
}

}  // namespace cdflash::tcmu
