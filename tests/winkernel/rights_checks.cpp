// Without CAP_SYS_RAWIO the kernel refuses WRITE BUFFER before it reaches
// the device. Through Wine that is a DeviceIoControl that fails with
// ERROR_ACCESS_DENIED: the route reports a failure that carries the system's
// error, and the flash code's message shows it.

#include <windows.h>

#include <vector>

#include "EngineOnDrive.h"
#include "NtRouteChecks.h"

namespace cdflash::kernelcheck {

void CheckRefusedWithoutRights(CheckLog& log, CDDrive& scsiDebug) {
  const std::int32_t result = WriteBufferChunk(scsiDebug);
  log.Check("without CAP_SYS_RAWIO: WRITE BUFFER fails with system error 5 (access denied)",
            result == 0 && !scsiDebug.LastCommandSucceeded() &&
                scsiDebug.SystemError() == ERROR_ACCESS_DENIED &&
                scsiDebug.SenseText() == "00 00 00. 00, 0005",
            Outcome(scsiDebug, result) + Format(", system error %u", scsiDebug.SystemError()));

  EngineOnDrive run(scsiDebug);
  const std::vector<std::uint8_t> image(FlashEngine::kChunkSize, 0x5A);
  const bool written =
      run.engine.WriteBuffer(0, image.data(), FlashEngine::kChunkSize, kControlData);
  log.Check("without CAP_SYS_RAWIO: vendor WRITE BUFFER shows \"Write Buffer> 00 00 00. 00, 0005\"",
            !written && run.observer.Messages() ==
                            std::vector<std::string>{"Write Buffer> 00 00 00. 00, 0005"},
            run.MessagesText());

  // Had either reached scsi_debug, it would answer 06 3F 16 now.
  const std::int32_t next = TestUnitReady(scsiDebug);
  log.Check("without CAP_SYS_RAWIO: nothing reached scsi_debug (no unit attention)",
            next != 0 && scsiDebug.LastCommandSucceeded(), Outcome(scsiDebug, next));
}

}  // namespace cdflash::kernelcheck
