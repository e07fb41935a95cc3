// A whole run of the engine against scsi_debug with a package made for it,
// without a window. scsi_debug answers TEST UNIT READY as a drive with a disc
// in it, so the run must stop at the disc poll before anything is written.

#include <vector>

#include "NtRouteChecks.h"
#include "flash/FlashEngine.h"
#include "support/FakeSystem.h"
#include "support/RecordingObserver.h"

namespace cdflash::kernelcheck {

void CheckFlashRun(CheckLog& log, CDDrive& scsiDebug) {
  const test::TestPackage package = ScsiDebugPackage();
  test::RecordingObserver observer;
  test::FakeSystem system;
  FlashEngine engine(package.View(), observer, system);
  engine.SetDrive(&scsiDebug);
  observer.answers = {Answer::Yes};
  const FlashRunReport report = engine.Run();

  const std::vector<test::RecordingObserver::Box> expected{
      {"Confirm", "\nUpdate FW:0191 to FW:0200 ?\n"},
      {"Message", "Remove disc, before to do the flash task."}};
  log.Check("flash run stops at the disc poll: \"Remove disc, before to do the flash task.\", nothing written",
            report.outcome == FlashOutcome::DiscInDrive && observer.boxes == expected &&
                !report.wroteToDrive && !report.commitSent && system.events.empty(),
            Format("%d boxes", static_cast<int>(observer.boxes.size())));
  // A WRITE BUFFER that had reached scsi_debug would show as 06 3F 16 now.
  const std::int32_t result = TestUnitReady(scsiDebug);
  log.Check("flash run: nothing reached scsi_debug's buffer (no unit attention)",
            result != 0 && scsiDebug.Last().succeeded, Outcome(scsiDebug, result));
}

}  // namespace cdflash::kernelcheck
