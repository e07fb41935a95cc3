#pragma once
// The two CD devices of the QEMU guest as the checks meet them (QEMU's
// emulated ATAPI drive without a disc, the kernel's scsi_debug CD-ROM), and
// the raw commands the checks send them through CDDrive, whatever the route.

#include <cstdint>
#include <string>

#include "common/Text.h"
#include "device/Cddrive.h"
#include "device/Cddrives.h"
#include "device/ScsiCommands.h"
#include "support/TestPackage.h"
#include "support/ThinFace.h"

namespace cdflash::kernelcheck {

// INQUIRY bytes 8 to 35: vendor (8), product (16), revision (4).
inline const std::string kAtapiVendorProduct = "QEMU    QEMU DVD-ROM    ";
inline const std::string kAtapiRevision = "2.5+";
inline const std::string kScsiDebugVendorProduct = "Linux   scsi_debug      ";
inline const std::string kScsiDebugRevision = "0191";

// A flasher for scsi_debug's model, from its revision up to 0200.
inline test::TestPackage ScsiDebugPackage() {
  test::TestPackage p;
  p.Vendor("Linux").Model("scsi_debug").Inquiry(kScsiDebugVendorProduct).FwRange("0100-0191");
  p.Revision("0200.");
  return p;
}

using test::kDataIn, test::kDataOut, test::Send, test::TestUnitReady;
inline constexpr std::int32_t kChunk = 16384;  // the data buffer a window registers

// 16 KiB of microcode data into buffer 1 at offset 0 (mode 5).
inline std::int32_t WriteBufferChunk(CDDrive& drive) {
  return Send(drive, WriteBufferCommand(0, kChunk, kControlData), kDataOut, kChunk);
}

// The drive at `letter` in the list, or null.
inline CDDrive* DriveAtLetter(CDDrives& drives, char letter) {
  for (int i = 0; i < drives.Count(); ++i) {
    drives.Select(static_cast<std::int16_t>(i));
    if (drives.Current->Letter() == letter) return drives.Current;
  }
  return nullptr;
}

// How the last command ended, for the check's detail.
inline std::string Outcome(const CDDrive& drive, std::int32_t result) {
  return Format("result %d, %s, sense text \"%s\"", static_cast<int>(result),
                drive.Last().succeeded ? "succeeded" : "failed", drive.Last().SenseText().c_str());
}

}  // namespace cdflash::kernelcheck
