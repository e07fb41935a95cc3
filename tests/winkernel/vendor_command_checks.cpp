// The flash code's WRITE BUFFER and READ BUFFER, sent through the
// pass-through route to scsi_debug: the download is taken, the read-back is
// refused with the drive's sense data, and leaves the caller's bytes alone.

#include <algorithm>
#include <vector>

#include "NtRouteChecks.h"
#include "flash/FlashEngine.h"
#include "flash/VendorCommands.h"

namespace cdflash::kernelcheck {

void CheckVendorCommands(CheckLog& log, CDDrive& scsiDebug) {
  std::vector<std::uint8_t> transfer(FlashEngine::kChunkSize);
  CDDrive::SetDataBuffer(transfer.data(), static_cast<std::int32_t>(transfer.size()));
  VendorCommands commands(scsiDebug);

  const std::vector<std::uint8_t> image(FlashEngine::kChunkSize, 0x5A);
  const CommandResult written = commands.WriteBuffer(0, image, kControlData);
  log.Check("vendor WRITE BUFFER of 16 KiB succeeds", written.ok, written.SenseText());
  // The download reached the device: it reports the change once.
  const std::int32_t result = TestUnitReady(scsiDebug);
  log.Check("vendor WRITE BUFFER reached scsi_debug: 06 3F 16 follows",
            result == 0 && scsiDebug.Last().SenseIs(0x06, 0x3F, 0x16), Outcome(scsiDebug, result));

  // The data buffer still holds the image just sent; the destination holds
  // other bytes. A refused read must leave it so.
  std::vector<std::uint8_t> destination(FlashEngine::kChunkSize, 0xC3);
  const CommandResult read = commands.ReadBuffer(0, destination);
  log.Check("vendor READ BUFFER fails with \"05 20 00. 02, 0000\"", !read.ok && read.SenseText() == "05 20 00. 02, 0000",
            read.SenseText());
  log.Check("vendor READ BUFFER: nothing in the data buffer is taken as data",
            std::all_of(destination.begin(), destination.end(), [](std::uint8_t b) { return b == 0xC3; }));
  CDDrive::SetDataBuffer(nullptr, 0);
}

}  // namespace cdflash::kernelcheck
