// A whole run of the engine against scsi_debug with a package made for it.
// scsi_debug answers TEST UNIT READY as a drive with a disc in it, so the
// run must stop at the disc poll before anything is written.

#include <vector>

#include "EngineOnDrive.h"
#include "NtRouteChecks.h"
#include "session/DriveJudgement.h"

namespace cdflash::kernelcheck {
namespace {

std::string BoxesText(const test::RecordingObserver& observer) {
  std::string text;
  for (const auto& box : observer.boxes) {
    std::string shown = box.text;
    for (char& c : shown) {
      if (c == '\n') c = '|';
    }
    text += (text.empty() ? "" : ", ") + box.kind + " \"" + shown + "\"";
  }
  return text.empty() ? "no box" : text;
}

}  // namespace

void CheckFlashRun(CheckLog& log, CDDrive& scsiDebug) {
  EngineOnDrive run(scsiDebug, ScsiDebugPackage());
  log.Check("the test package accepts scsi_debug",
            CheckCondition(run.package.View(), scsiDebug) == DriveVerdict::Accepted,
            "\"" + scsiDebug.IdentityText() + "\"");

  const test::RecordingObserver& observer = run.observer;
  const test::FakeSystem& system = run.system;
  run.observer.answers = {Answer::Yes};
  const FlashRunReport report = run.engine.Run();
  const FlashOutcome outcome = report.outcome;

  const std::vector<test::RecordingObserver::Box> expected{
      {"Confirm", "\nUpdate FW:0191 to FW:0200 ?\n"},
      {"Message", "Remove disc, before to do the flash task."}};
  log.Check("flash run stops at the disc poll: \"Remove disc, before to do the flash task.\"",
            outcome == FlashOutcome::DiscInDrive && observer.boxes == expected, BoxesText(observer));
  log.Check("flash run: no WRITE BUFFER sent, no commit, nothing blocked",
            !report.wroteToDrive && !report.commitSent && system.events.empty(),
            Format("wrote %s, commit %s, %d power events", report.wroteToDrive ? "yes" : "no",
                   report.commitSent ? "sent" : "not sent", static_cast<int>(system.events.size())));
  // A WRITE BUFFER that had reached scsi_debug would show as 06 3F 16 now.
  const std::int32_t result = TestUnitReady(scsiDebug);
  log.Check("flash run: nothing reached scsi_debug's buffer (no unit attention)",
            result != 0 && scsiDebug.Last().succeeded, Outcome(scsiDebug, result));
}

}  // namespace cdflash::kernelcheck
