// Without CAP_SYS_RAWIO the kernel refuses WRITE BUFFER before it reaches
// the device. Through Wine that is a DeviceIoControl that fails with
// ERROR_ACCESS_DENIED: the route reports a failure that carries the system's
// error, and so does the flash code's WRITE BUFFER.

#include <windows.h>

#include <vector>

#include "NtRouteChecks.h"
#include "flash/FlashEngine.h"
#include "flash/VendorCommands.h"

namespace cdflash::kernelcheck {

void CheckRefusedWithoutRights(CheckLog& log, CDDrive& scsiDebug) {
  const std::int32_t result = WriteBufferChunk(scsiDebug);
  log.Check("without CAP_SYS_RAWIO: WRITE BUFFER fails with system error 5 (access denied)",
            result == 0 && !scsiDebug.Last().succeeded &&
                scsiDebug.Last().systemError == ERROR_ACCESS_DENIED &&
                scsiDebug.Last().SenseText() == "00 00 00. 00, 0005",
            Outcome(scsiDebug, result) + Format(", system error %u", scsiDebug.Last().systemError));

  std::vector<std::uint8_t> transfer(FlashEngine::kChunkSize);
  CDDrive::SetDataBuffer(transfer.data(), static_cast<std::int32_t>(transfer.size()));
  VendorCommands commands(scsiDebug);
  const std::vector<std::uint8_t> image(FlashEngine::kChunkSize, 0x5A);
  const CommandResult written = commands.WriteBuffer(0, image, kControlData);
  CDDrive::SetDataBuffer(nullptr, 0);
  log.Check("without CAP_SYS_RAWIO: vendor WRITE BUFFER fails with \"00 00 00. 00, 0005\"",
            !written.ok && written.SenseText() == "00 00 00. 00, 0005", written.SenseText());

  // Had either reached scsi_debug, it would answer 06 3F 16 now.
  const std::int32_t next = TestUnitReady(scsiDebug);
  log.Check("without CAP_SYS_RAWIO: nothing reached scsi_debug (no unit attention)",
            next != 0 && scsiDebug.Last().succeeded, Outcome(scsiDebug, next));
}

}  // namespace cdflash::kernelcheck
