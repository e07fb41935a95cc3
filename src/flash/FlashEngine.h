#pragma once
// The update of one drive: the vendor commands and the procedure that uses
// them, from the confirmation to the restart offer. Every command goes to
// one drive; all the user sees goes to an IFlashObserver. A run is one
// call to Run() and may execute on a worker thread, as long as nothing else
// sends commands meanwhile.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "flash/CommitGate.h"
#include "flash/FlashObserver.h"
#include "flash/VendorCommands.h"
#include "package/PackageView.h"

namespace cdflash {

class CDDrive;
class IPowerBlock;
class ISystemServices;

// How a run ended.
enum class FlashOutcome {
  Declined,           // the user answered No to the update question
  AlreadyUpToDate,    // the drive's revision is not below the package's
  DiscInDrive,        // the drive reported a disc; nothing was written to it
  DriveNotReady,      // the drive kept "becoming ready" past the bound; nothing written
  LowBattery,         // on a battery too low to finish an update; nothing written
  NoDrive,            // no drive was selected
  FailedBeforeWrite,  // a command failed before anything was written to the drive
  FailedAfterWrite,   // failed while downloading or verifying: nothing committed
  Cancelled,          // stopped on request before the commit: nothing committed
  CommitFailed,       // the drive refused the commit: its flash is as it was
  CommitUnanswered,   // the commit never answered: the drive may still be programming
  Completed,          // the commit went through
};

// What a run came to.
struct FlashRunReport {
  FlashOutcome outcome = FlashOutcome::NoDrive;
  bool wroteToDrive = false;  // a command that changes the drive was sent
  bool commitSent = false;    // from then on the run was never stopped
  // The last message that told the user of a failure; empty after a
  // completed run.
  std::string failure;
  // What the drive answered a fresh INQUIRY after the commit; empty without one.
  std::string identityAfter;
};

class FlashEngine {
 public:
  FlashEngine(PackageView package, IFlashObserver& observer, ISystemServices& system);
  ~FlashEngine();
  FlashEngine(const FlashEngine&) = delete;
  FlashEngine& operator=(const FlashEngine&) = delete;

  // The drive that the commands go to (owned by the drive list).
  void SetDrive(CDDrive* drive) { SelectedDrive = drive; }
  CDDrive* Drive() const { return SelectedDrive; }

  // The update of the drive, from the confirmation to the restart offer.
  FlashRunReport Run();

  // Where a stop can be asked for (a terminal's Ctrl-C): asked before every
  // command up to the commit decision, and passed once more right before
  // the commit, which then either goes out or the run stops. Null: the run
  // is never stopped.
  void SetCommitGate(CommitGate* gate) { gate_ = gate; }

  // The image format test's finding on the package's slot: the image length.
  std::uint32_t ImageLength() const { return ImageLength_; }

  static constexpr std::uint32_t kChunkSize = 0x4000;

 private:
  // The run up to its outcome.
  FlashOutcome Update();
  // Tells the user, and keeps the text as the run's failure.
  void Tell(NoticeKind kind, const std::string& text);
  // Confirmation and disc check; an outcome when the run stops before
  // anything is written to the drive.
  bool ConfirmAndCheckDrive(VendorCommands& commands, FlashOutcome& stop);
  // Everything from the profile to the commit; each step below gives an
  // outcome when the run ends there.
  FlashOutcome DownloadVerifyCommit(VendorCommands& commands);
  std::optional<FlashOutcome> WriteProfile(VendorCommands& commands);
  std::optional<FlashOutcome> DownloadImage(VendorCommands& commands);
  std::optional<FlashOutcome> EnterCritical(VendorCommands& commands);
  std::optional<FlashOutcome> VerifyDownload(VendorCommands& commands);
  FlashOutcome Commit(VendorCommands& commands);
  // Marks the phase failed: the outcome by whether the drive was written to.
  FlashOutcome Failed(const VendorCommands& commands, const char* suffix);
  void Complete();
  // On battery: stops a run the battery may not see to its end, asks about
  // any other; true when the run may go on.
  bool PowerAllowsTheRun(FlashOutcome& stop);
  // The disc poll: true when the run may go on.
  bool PollForNoDisc(VendorCommands& commands, FlashOutcome& stop);
  // Ends a run stopped before its commit, saying what it left behind.
  FlashOutcome Halt(const VendorCommands& commands);
  void ShowPhase(const std::string& caption);
  void AppendToPhase(const char* suffix);

  // Tells `prefix` followed by the sense text of a failed command; true
  // when it succeeded.
  bool Checked(const CommandResult& result, const char* prefix);

  PackageView package_;
  IFlashObserver& observer_;
  ISystemServices& system_;
  CDDrive* SelectedDrive = nullptr;

  std::uint32_t ImageLength_ = 0;
  bool FiveBank_ = false;
  bool FlashAll_ = false;
  bool criticalSent_ = false;
  FlashRunReport report_;  // of the run under way
  CommitGate* gate_ = nullptr;
  std::uint32_t ProfileLength_ = 0;
  std::string caption_;  // the phase caption last shown
  VendorCommands::ProfileBlock profile_{};  // the profile block written, for its read-back
  std::unique_ptr<IPowerBlock> powerBlock_;  // held while the drive is being changed
};

}  // namespace cdflash
