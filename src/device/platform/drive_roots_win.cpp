#include "device/platform/drive_roots_win.h"

#include <windows.h>

#include <algorithm>

namespace cdflash {

std::vector<std::string> ParseDriveRoots(std::string_view answer) {
  std::vector<std::string> roots;
  std::size_t at = 0;
  while (at < answer.size() && answer[at] != '\0') {
    const std::size_t end = std::min(answer.find('\0', at), answer.size());
    roots.emplace_back(answer.substr(at, end - at));
    at = end + 1;
  }
  return roots;
}

std::vector<std::string> LogicalDriveRoots() {
  std::string buffer;
  for (int attempt = 0; attempt < 4; ++attempt) {
    // With a buffer too small the answer is the length needed, with the
    // final zero; with one large enough, the length without it.
    const DWORD needed = ::GetLogicalDriveStringsA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (needed == 0) return {};
    if (needed < buffer.size()) return ParseDriveRoots(std::string_view(buffer.data(), needed));
    buffer.assign(needed + 1, '\0');
  }
  return {};  // drives kept changing under us
}

std::vector<DriveAddress> CdRomAddresses(const std::vector<std::string>& roots,
                                         const std::function<unsigned(const std::string&)>& driveType) {
  std::vector<DriveAddress> addresses;
  for (const std::string& root : roots) {
    if (driveType(root) == DRIVE_CDROM) addresses.push_back({root[0], 0, 0, 0});
  }
  return addresses;
}

std::vector<DriveAddress> AspiProbeAddresses(std::size_t rootCount) {
  // Host adapter numbers are bytes; there are never more than 26 roots.
  const std::size_t probes = 2 * std::min<std::size_t>(rootCount, 128);
  std::vector<DriveAddress> addresses;
  addresses.reserve(probes);
  for (std::size_t j = 0; j < probes; ++j) {
    addresses.push_back({' ', static_cast<std::uint8_t>(j / 2), static_cast<std::uint8_t>(j % 2), 0});
  }
  return addresses;
}

}  // namespace cdflash
