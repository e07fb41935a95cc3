// Discovery through the Windows platform layer: the NT platform, the CD-ROM
// drive roots, the drive list opening both devices, and the identity texts
// (INQUIRY through the pass-through route) as the window lists them.

#include <windows.h>

#include <algorithm>
#include <vector>

#include "NtRouteChecks.h"
#include "device/Cddrives.h"
#include "device/platform/Platform.h"
#include "device/platform/drive_roots_win.h"

namespace cdflash::kernelcheck {
namespace {

std::string Root(char letter) { return std::string(1, letter) + ":\\"; }

// "0-0-0 D: " and the 28 INQUIRY characters: the line of the window's list.
void CheckIdentity(CheckLog& log, CDDrive* drive, const std::string& name, char letter,
                   const std::string& inquiry) {
  log.Check(name, drive != nullptr && drive->IdentityText() == std::string("0-0-0 ") + letter + ": " + inquiry,
            drive == nullptr ? "not listed" : "\"" + drive->IdentityText() + "\"");
}

}  // namespace

GuestDrives CheckDiscovery(CheckLog& log, CDDrives& drives, const GuestLetters& letters,
                           const std::string& who) {
  IPlatform& platform = CurrentPlatform();
  const std::uint32_t id = platform.PlatformId();
  log.Check(who + "the NT platform, so the pass-through route", id == kPlatformWin32Nt,
            Format("platform id %u", static_cast<unsigned>(id)));

  const std::vector<std::string> roots = LogicalDriveRoots();
  const auto listed = [&](char letter) {
    return std::find(roots.begin(), roots.end(), Root(letter)) != roots.end() &&
           ::GetDriveTypeA(Root(letter).c_str()) == DRIVE_CDROM;
  };
  log.Check(who + "drive roots: both devices are CD-ROM roots",
            listed(letters.atapi) && listed(letters.scsiDebug), Format("%d roots", static_cast<int>(roots.size())));
  const std::vector<DriveAddress> addresses = platform.DriveAddresses(id);
  log.Check(who + "the drive list tries exactly those two letters",
            addresses == std::vector<DriveAddress>{{std::min(letters.atapi, letters.scsiDebug), 0, 0, 0},
                                                   {std::max(letters.atapi, letters.scsiDebug), 0, 0, 0}},
            Format("%d addresses", static_cast<int>(addresses.size())));

  log.Check(who + "both devices open and answer INQUIRY",
            drives.Count() == 2 && CDDrive::OpenStatus() == 0 && CDDrive::OpenCount() == 2,
            Format("listed %d, open status %02X, open count %d, last device message \"%s\"",
                   drives.Count(), CDDrive::OpenStatus(), CDDrive::OpenCount(),
                   CDDrive::MessageText().c_str()));
  GuestDrives found{DriveAtLetter(drives, letters.atapi), DriveAtLetter(drives, letters.scsiDebug)};
  CheckIdentity(log, found.atapi, who + "QEMU ATAPI drive identity", letters.atapi,
                kAtapiVendorProduct + kAtapiRevision);
  CheckIdentity(log, found.scsiDebug, who + "scsi_debug identity", letters.scsiDebug,
                kScsiDebugVendorProduct + kScsiDebugRevision);
  return found;
}

}  // namespace cdflash::kernelcheck
