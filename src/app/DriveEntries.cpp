#include "app/DriveEntries.h"

#include "app/DriveJudgement.h"
#include "common/Text.h"
#include "device/Cddrive.h"
#include "device/Cddrives.h"
#include "device/platform/Platform.h"
#include "device/routes/SrNames.h"

namespace cdflash {
namespace {

std::string DeviceName(std::uint32_t platform, char letter) {
  if (platform == kPlatformLinux) return SrDevicePath(letter);
  if (platform == kPlatformWin32Nt) return std::string("\\\\.\\") + letter + ":";
  return {};
}

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string DriveEntry::Describe() const {
  if (drive == nullptr) return device.empty() ? std::string(1, address.letter) : device;
  return drive->IdentityText() + (device.empty() ? "" : "  (" + device + ")");
}

std::vector<DriveEntry> ListDriveEntries(CDDrives& drives) {
  IPlatform& platform = CurrentPlatform();
  const std::uint32_t id = platform.PlatformId();
  std::vector<DriveEntry> entries;
  for (const DriveAddress& address : platform.DriveAddresses(id)) {
    DriveEntry entry{address, nullptr, DeviceName(id, address.letter)};
    for (int i = 0; i < drives.Count(); ++i) {
      drives.Select(static_cast<std::int16_t>(i));
      if (drives.Current->Address() == address) entry.drive = drives.Current;
    }
    if (entry.drive != nullptr || id != kPlatformWin32Windows) entries.push_back(entry);
  }
  return entries;
}

std::string Refusal(const PackageView& package, const DriveEntry& entry) {
  if (entry.drive == nullptr) return "could not be opened";
  switch (CheckCondition(package, *entry.drive)) {
    case DriveVerdict::Accepted: return {};
    case DriveVerdict::OtherModel: return "another model (this flasher is for " + Trim(package.RequiredIdentity()) + ")";
    case DriveVerdict::RevisionOutOfRange: return "revision out of range " + package.RangeText();
  }
  return {};
}

std::vector<const DriveEntry*> Named(const std::vector<DriveEntry>& entries, const std::string& selector) {
  std::vector<const DriveEntry*> named;
  for (const DriveEntry& entry : entries) {
    const DriveAddress& a = entry.address;
    const bool letter = a.letter != ' ' && (selector == std::string(1, a.letter) ||
                                            selector == std::string(1, a.letter) + ":");
    if (selector == Format("%d-%d-%d", a.hostAdapter, a.target, a.lun) || letter ||
        (!entry.device.empty() && selector == entry.device)) {
      named.push_back(&entry);
    }
  }
  return named;
}

}  // namespace cdflash
