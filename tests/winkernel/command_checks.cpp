// How the pass-through route ends the commands real devices answer. Wine
// hands a CHECK CONDITION back as a DeviceIoControl that succeeded, with the
// status and sense in the record, as Windows does: the route must still
// report a failure, with the drive's sense and no system error. Without
// CAP_SYS_RAWIO the kernel refuses WRITE BUFFER before it reaches the device:
// a DeviceIoControl that fails with ERROR_ACCESS_DENIED.

#include <windows.h>

#include <algorithm>
#include <vector>

#include "NtRouteChecks.h"
#include "flash/FlashEngine.h"
#include "flash/VendorCommands.h"

namespace cdflash::kernelcheck {
namespace {

bool FailedWith(const CDDrive& drive, std::int32_t result, const char* senseText) {
  return result == 0 && !drive.Last().succeeded && drive.Last().SenseText() == senseText;
}

// scsi_debug reports a taken WRITE BUFFER once, as 06 3F 16 (microcode
// changed), at the next command.
void CheckUnitAttention(CheckLog& log, CDDrive& scsiDebug, const std::string& name, bool expected) {
  const std::int32_t result = TestUnitReady(scsiDebug);
  log.Check(name, expected ? FailedWith(scsiDebug, result, "06 3F 16. 02, 0000")
                           : result != 0 && scsiDebug.Last().succeeded,
            Outcome(scsiDebug, result));
}

}  // namespace

void CheckCompletions(CheckLog& log, const GuestDrives& drives) {
  if (drives.atapi != nullptr) {
    const std::int32_t result = TestUnitReady(*drives.atapi);
    log.Check("TEST UNIT READY on the empty ATAPI drive fails 02 3A 00",
              FailedWith(*drives.atapi, result, "02 3A 00. 02, 0000"), Outcome(*drives.atapi, result));
  }
  if (drives.scsiDebug == nullptr) return;
  CDDrive& scsiDebug = *drives.scsiDebug;
  VendorCommands commands(scsiDebug);
  const CommandResult written =
      commands.WriteBuffer(0, std::vector<std::uint8_t>(FlashEngine::kChunkSize, 0x5A), kControlData);
  log.Check("scsi_debug: vendor WRITE BUFFER of 16 KiB succeeds", written.ok, written.SenseText());
  CheckUnitAttention(log, scsiDebug, "scsi_debug: the next command fails 06 3F 16 (microcode changed)", true);
  CheckUnitAttention(log, scsiDebug, "scsi_debug: the unit attention is reported once", false);

  // scsi_debug refuses READ BUFFER, though the record still says the whole
  // length moved: the status and sense alone must make it a failure, and
  // nothing in the data buffer (the image just sent) is taken as data.
  std::vector<std::uint8_t> destination(FlashEngine::kChunkSize, 0xC3);
  const CommandResult read = commands.ReadBuffer(0, destination);
  log.Check("scsi_debug: vendor READ BUFFER fails 05 20 00 and returns no data",
            !read.ok && read.SenseText() == "05 20 00. 02, 0000" &&
                std::all_of(destination.begin(), destination.end(), [](std::uint8_t b) { return b == 0xC3; }),
            read.SenseText());
}

void CheckRefusedWithoutRights(CheckLog& log, CDDrive& scsiDebug) {
  const std::int32_t result = WriteBufferChunk(scsiDebug);
  log.Check("without CAP_SYS_RAWIO: WRITE BUFFER fails with system error 5 (access denied)",
            result == 0 && !scsiDebug.Last().succeeded &&
                scsiDebug.Last().systemError == ERROR_ACCESS_DENIED &&
                scsiDebug.Last().SenseText() == "00 00 00. 00, 0005",
            Outcome(scsiDebug, result));
  CheckUnitAttention(log, scsiDebug, "without CAP_SYS_RAWIO: nothing reached scsi_debug (no unit attention)",
                     false);
}

}  // namespace cdflash::kernelcheck
