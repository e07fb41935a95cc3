// How the pass-through route judges what real devices answer. Wine hands a
// CHECK CONDITION back as a DeviceIoControl that succeeded, with the status
// and sense in the record, as Windows does: the route must still report a
// failure, with the drive's sense and no system error.

#include "NtRouteChecks.h"

namespace cdflash::kernelcheck {
namespace {

bool FailedWith(const CDDrive& drive, std::int32_t result, const char* senseText) {
  return result == 0 && !drive.Last().succeeded && drive.Last().SenseText() == senseText;
}

void CheckNoDisc(CheckLog& log, CDDrive& atapi) {
  const std::int32_t result = TestUnitReady(atapi);
  log.Check("TEST UNIT READY on the empty ATAPI drive fails 02 3A 00",
            FailedWith(atapi, result, "02 3A 00. 02, 0000") && atapi.Last().SenseIs(0x02, 0x3A, 0x00),
            Outcome(atapi, result));
}

void CheckWriteBufferTaken(CheckLog& log, CDDrive& scsiDebug) {
  std::int32_t result = WriteBufferChunk(scsiDebug);
  log.Check("scsi_debug: WRITE BUFFER mode 5 of 16 KiB succeeds",
            result != 0 && scsiDebug.Last().succeeded && scsiDebug.Last().SenseText() == "00 00 00. 00, 0000",
            Outcome(scsiDebug, result));
  result = TestUnitReady(scsiDebug);
  log.Check("scsi_debug: the next command fails 06 3F 16 (microcode changed)",
            FailedWith(scsiDebug, result, "06 3F 16. 02, 0000"), Outcome(scsiDebug, result));
  result = TestUnitReady(scsiDebug);
  log.Check("scsi_debug: the unit attention is reported once",
            result != 0 && scsiDebug.Last().succeeded, Outcome(scsiDebug, result));
}

// scsi_debug refuses READ BUFFER, though the record still says the whole
// length moved: the status and sense alone must make it a failure.
void CheckReadBufferRefused(CheckLog& log, CDDrive& scsiDebug) {
  const std::int32_t result = ReadBufferChunk(scsiDebug);
  log.Check("scsi_debug: READ BUFFER fails 05 20 00 and returns no data",
            FailedWith(scsiDebug, result, "05 20 00. 02, 0000"), Outcome(scsiDebug, result));
}

}  // namespace

void CheckCompletions(CheckLog& log, const GuestDrives& drives) {
  if (drives.atapi != nullptr) CheckNoDisc(log, *drives.atapi);
  if (drives.scsiDebug != nullptr) {
    CheckWriteBufferTaken(log, *drives.scsiDebug);
    CheckReadBufferRefused(log, *drives.scsiDebug);
  }
}

}  // namespace cdflash::kernelcheck
