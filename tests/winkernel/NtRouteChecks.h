#pragma once
// The checks of the Windows NT route against a real kernel: the Windows
// build under Wine inside the QEMU guest, where Wine carries each
// IOCTL_SCSI_PASS_THROUGH_DIRECT to the kernel's SG_IO
// (scripts/test-wine-kernel.sh). The guest script maps one drive letter to
// each of the guest's CD devices; the checks find the drives through the
// product's own discovery and expect each letter's INQUIRY identity.

#include <string>

#include "kernel/CheckLog.h"
#include "kernel/GuestDevices.h"

namespace cdflash::kernelcheck {

// The drive letters the guest script gave the two devices.
struct GuestLetters {
  char atapi = 0;
  char scsiDebug = 0;
};

// The two devices in the drive list; null where a device is missing.
struct GuestDrives {
  CDDrive* atapi = nullptr;
  CDDrive* scsiDebug = nullptr;
};

// Platform, drive roots, the drive list and both identities as the window
// shows them. `who` starts every check's name.
GuestDrives CheckDiscovery(CheckLog& log, CDDrives& drives, const GuestLetters& letters,
                           const std::string& who);

// How the route ends the devices' answers: a missing disc, the flash code's
// WRITE BUFFER taken and its unit attention, its READ BUFFER refused.
void CheckCompletions(CheckLog& log, const GuestDrives& drives);

// The whole procedure, run by the engine against scsi_debug, which answers
// as a drive with a disc in it.
void CheckFlashRun(CheckLog& log, CDDrive& scsiDebug);

// Run without CAP_SYS_RAWIO: WRITE BUFFER is refused by the kernel with the
// system's error and never reaches scsi_debug.
void CheckRefusedWithoutRights(CheckLog& log, CDDrive& scsiDebug);

}  // namespace cdflash::kernelcheck
