// The flash code's WRITE BUFFER and READ BUFFER, sent by the engine through
// the pass-through route to scsi_debug: the download is taken, the
// read-back is refused and says so, and leaves the caller's bytes alone.

#include <algorithm>
#include <vector>

#include "EngineOnDrive.h"
#include "NtRouteChecks.h"

namespace cdflash::kernelcheck {

void CheckVendorCommands(CheckLog& log, CDDrive& scsiDebug) {
  EngineOnDrive run(scsiDebug);
  FlashEngine& engine = run.engine;
  const test::RecordingObserver& observer = run.observer;

  const std::vector<std::uint8_t> image(FlashEngine::kChunkSize, 0x5A);
  const bool written = engine.WriteBuffer(0, image.data(), FlashEngine::kChunkSize, kControlData);
  log.Check("vendor WRITE BUFFER of 16 KiB succeeds, no message",
            written && observer.Messages().empty(), run.MessagesText());
  // The download reached the device: it reports the change once.
  const std::int32_t result = TestUnitReady(scsiDebug);
  log.Check("vendor WRITE BUFFER reached scsi_debug: 06 3F 16 follows",
            result == 0 && scsiDebug.SenseMatches(0x06, 0x3F, 0x16), Outcome(scsiDebug, result));

  // The data buffer still holds the image just sent; the destination holds
  // other bytes. A refused read must leave it so.
  std::vector<std::uint8_t> destination(FlashEngine::kChunkSize, 0xC3);
  const bool read = engine.ReadBuffer(0, destination.data(), FlashEngine::kChunkSize);
  log.Check("vendor READ BUFFER fails with its message \"Read Buffer> 05 20 00. 02, 0000\"",
            !read && observer.Messages() == std::vector<std::string>{"Read Buffer> 05 20 00. 02, 0000"},
            run.MessagesText());
  log.Check("vendor READ BUFFER: nothing in the data buffer is taken as data",
            std::all_of(destination.begin(), destination.end(), [](std::uint8_t b) { return b == 0xC3; }));
}

}  // namespace cdflash::kernelcheck
