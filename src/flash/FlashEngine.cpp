// The update of the selected drive: confirmation, disc check, download of
// profile and image into the drive's DRAM, read-back and comparison, and the
// commit after which the drive programs its flash.

#include "flash/FlashEngine.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <optional>

#include "common/Text.h"
#include "device/Cddrive.h"
#include "device/ScsiCommands.h"
#include "system/SystemServices.h"

namespace cdflash {
namespace {

constexpr unsigned kPollPause = 30;  // milliseconds before each TEST UNIT READY
constexpr int kQuietPasses = 10;     // passes without news before going on
// A drive that keeps reporting "becoming ready" has that long in all, command
// time included, before the run stops without writing anything.
constexpr std::chrono::milliseconds kReadyBound{60000};
constexpr unsigned kCommitPause = 200;
constexpr std::uint16_t kCommitTimeout = 180;
constexpr long long kCommitScale = 200;
// On battery at this charge or less a run does not start.
constexpr int kLowestBatteryPercent = 25;
constexpr const char* kCommitUnansweredText =
    "The drive did not answer the commit: it may still be programming its flash.\nWait several "
    "minutes, then power the computer off and on before trying again. Until then this program "
    "sends the drive nothing.";

}  // namespace

FlashEngine::FlashEngine(PackageView package, IFlashObserver& observer, ISystemServices& system)
    : package_(package), observer_(observer), system_(system) {
  const ImageFormat format = ClassifyImage(package_.Slot());
  ImageLength_ = format.length;
  FiveBank_ = format.fiveBank;
}

FlashEngine::~FlashEngine() = default;

void FlashEngine::Tell(NoticeKind kind, const std::string& text) {
  report_.failure = text;
  observer_.Tell(kind, text);
}

bool FlashEngine::Checked(const CommandResult& result, const char* prefix) {
  if (!result.ok) Tell(NoticeKind::Plain, prefix + result.SenseText());
  return result.ok;
}

FlashRunReport FlashEngine::Run() {
  ProfileLength_ = 0;
  criticalSent_ = false;
  report_ = {};
  report_.outcome = Update();
  if (report_.outcome == FlashOutcome::Completed) report_.failure.clear();
  return report_;
}

FlashOutcome FlashEngine::Update() {
  if (SelectedDrive == nullptr) return FlashOutcome::NoDrive;
  if (SelectedDrive->CommitUnanswered()) {
    Tell(NoticeKind::Plain, kCommitUnansweredText);
    return FlashOutcome::FailedBeforeWrite;
  }
  if (ImageLength_ == 0 || ImageLength_ > kSlotSize) {
    Tell(NoticeKind::Plain, "This flasher holds no firmware image: nothing was sent to the drive.");
    return FlashOutcome::FailedBeforeWrite;
  }

  VendorCommands commands(*SelectedDrive);
  commands.SetStopGate(gate_);
  FlashOutcome stop{};
  if (!ConfirmAndCheckDrive(commands, stop)) return stop;

  observer_.Progress(0, ImageLength_);  // a bar a completed run left full
  observer_.SetBusy(true);

  const FlashOutcome outcome = DownloadVerifyCommit(commands);
  report_.wroteToDrive = commands.WroteToDrive();
  if (outcome == FlashOutcome::Completed) Complete();
  powerBlock_.reset();

  observer_.SetBusy(false);
  // A completed run leaves its bar full under "Flash Completed.".
  if (outcome != FlashOutcome::Completed) observer_.Progress(0, ImageLength_);
  return outcome;
}

void FlashEngine::Complete() {
  observer_.Progress(kCommitScale, kCommitScale);
  system_.Sleep(kCommitPause);
  ShowPhase("Flash Completed.");

  // The drive now reports its new revision.
  report_.identityAfter = SelectedDrive->GetIdentity();
  observer_.DriveIdentityChanged(report_.identityAfter);

  // The drive is done with: sleep and shutdown are allowed again, and a
  // restart is not held up by our own block.
  powerBlock_.reset();
  if (observer_.Ask(QuestionKind::ConfirmRestart,
                    "The system needs to be restarted for the changes to take "
                    "effect(inquiry stream) ?") == Answer::Yes) {
    observer_.SetBusy(false);
    const RestartResult restart = system_.RequestRestart();
    if (restart.requested) {
      ShowPhase("");
    } else {
      Tell(NoticeKind::Plain, "The system could not be restarted: " + restart.problem +
                                            ".\nThe drive has its new firmware; restart the "
                                            "computer yourself to finish the update.");
    }
  }
}

bool FlashEngine::ConfirmAndCheckDrive(VendorCommands& commands, FlashOutcome& stop) {
  const std::string driveRevision = SelectedDrive->Revision();
  const std::string packageRevision = package_.PackageRevision();
  const int order = CompareOrdinal(driveRevision, packageRevision);
  if (!package_.IsAnyRevision() && order >= 0) {
    Tell(NoticeKind::Warning, "\nWARNING:\n\nYour drive FW:" + driveRevision +
                                            " is aready the most updated ?");
    stop = FlashOutcome::AlreadyUpToDate;
    return false;
  }
  const std::string question =
      "\nUpdate FW:" + driveRevision + " to FW:" + packageRevision + " ?\n";
  if (observer_.Ask(order > 0 ? QuestionKind::Downgrade : QuestionKind::Confirm, question) !=
      Answer::Yes) {
    stop = FlashOutcome::Declined;
    return false;
  }

  FlashAll_ = package_.IsFlashAll();
  if (!PowerAllowsTheRun(stop)) return false;

  // Only a stop ends the run here: the disc poll judges the drive's state.
  const auto halted = [&](const CommandResult& result) {
    if (result.stopped) stop = Halt(commands);
    return result.stopped;
  };
  if (halted(commands.Standard(StandardCommand(kOpStartStopUnit, kLoadEject)))) return false;
  if (!PollForNoDisc(commands, stop)) return false;
  if (halted(commands.Standard(StandardCommand(kOpStopPlayScan)))) return false;
  return !halted(commands.Standard(StandardCommand(kOpStartStopUnit, kStop)));
}

bool FlashEngine::PowerAllowsTheRun(FlashOutcome& stop) {
  const PowerState power = system_.CurrentPowerState();
  if (power.source != PowerState::Source::Battery) return true;
  const std::string charge =
      power.percent >= 0 ? Format("charged to %d %%", power.percent) : std::string("its charge unknown");
  if (power.percent >= 0 && power.percent <= kLowestBatteryPercent) {
    Tell(NoticeKind::Warning, "The computer runs on its battery, " + charge +
                                            ": too little to see an update through. Connect the power "
                                            "cord and try again. Nothing was written to the drive.");
    stop = FlashOutcome::LowBattery;
    return false;
  }
  if (observer_.Ask(QuestionKind::OnBattery,
                    "The computer runs on its battery, " + charge +
                        ". Should the power fail while the drive programs its flash, the drive will "
                        "not start again. Connect the power cord if you can.\n\nGo on with the "
                        "update on battery?") == Answer::Yes) {
    return true;
  }
  stop = FlashOutcome::Declined;
  return false;
}

bool FlashEngine::PollForNoDisc(VendorCommands& commands, FlashOutcome& stop) {
  int quiet = 0;
  const std::chrono::milliseconds pollStart = system_.Uptime();
  while (quiet < kQuietPasses) {
    if (system_.Uptime() - pollStart >= kReadyBound) {
      Tell(NoticeKind::Plain,
                     "The drive did not become ready within 60 seconds. Nothing was written to "
                     "it; take out any disc, wait until the drive is idle and try again.");
      stop = FlashOutcome::DriveNotReady;
      return false;
    }
    system_.Sleep(kPollPause);
    const CommandResult ready = commands.Standard(StandardCommand(kOpTestUnitReady));
    if (ready.stopped) {
      stop = Halt(commands);
      return false;
    }
    const ScsiResult& drive = ready.answer;
    if (ready.DeviceGone()) {
      Checked(ready, "Test Unit Ready> ");
      stop = FlashOutcome::FailedBeforeWrite;
      return false;
    }
    if (drive.SenseIs(0x02, 0x04, 0x01)) {
      quiet = 0;  // becoming ready: wait for it to decide
    } else if (drive.SenseIs(0x02, 0x3A)) {
      return true;  // no medium
    } else if (drive.succeeded && drive.SenseIs(0x00, 0x00)) {
      Tell(NoticeKind::Plain, "Remove disc, before to do the flash task.");
      stop = FlashOutcome::DiscInDrive;
      return false;
    } else if (drive.SenseIs(0, 0, 0)) {
      // No answer of the drive's own (BUSY, lost on the way, timed out):
      // nothing is known of the disc yet, so the pass does not count.
      continue;
    }
    ++quiet;
  }
  return true;
}

FlashOutcome FlashEngine::Halt(const VendorCommands& commands) {
  std::string text =
      commands.WroteToDrive()
          ? "The update was stopped before the commit: nothing was committed, the drive's flash is "
            "untouched."
          : "The update was stopped before anything was written to the drive: nothing was written, "
            "the drive is as it was.";
  if (criticalSent_) {
    text += "\nThe drive waits in its update state: switch the computer off and on, or run the "
            "update again, to bring it back.";
  }
  Tell(NoticeKind::Plain, text);
  return FlashOutcome::Cancelled;
}

FlashOutcome FlashEngine::DownloadVerifyCommit(VendorCommands& commands) {
  // From the first command that changes the drive until the run ends, the
  // system must not sleep or shut down.
  powerBlock_ = system_.BlockSleepAndShutdown("Updating the firmware of the drive " +
                                              SelectedDrive->IdentityText());
  std::optional<FlashOutcome> stop;
  if (FiveBank_) stop = WriteProfile(commands);
  if (!stop) stop = DownloadImage(commands);
  if (!stop) stop = EnterCritical(commands);
  if (!stop) stop = VerifyDownload(commands);
  return stop ? *stop : Commit(commands);
}

FlashOutcome FlashEngine::Failed(const VendorCommands& commands, const char* suffix) {
  if (*suffix != '\0') AppendToPhase(suffix);
  return commands.WroteToDrive() ? FlashOutcome::FailedAfterWrite : FlashOutcome::FailedBeforeWrite;
}

std::optional<FlashOutcome> FlashEngine::WriteProfile(VendorCommands& commands) {
  ShowPhase("Write profile to drive's DRAM... ");
  const ProfileResult profile = commands.SetupFlashProfile(profile_);
  ProfileLength_ = profile.length;
  if (profile.command.stopped) return Halt(commands);
  if (!Checked(profile.command, profile.readingId ? "Read Flash ID> " : "Write Profile> ")) {
    return Failed(commands, ", Fail! ");
  }
  return std::nullopt;
}

std::optional<FlashOutcome> FlashEngine::DownloadImage(VendorCommands& commands) {
  ShowPhase("Write BIN to drive's DRAM... ");
  observer_.Progress(0, ImageLength_);
  const auto image = package_.Slot().first(ImageLength_);
  for (std::uint32_t at = 0; at < image.size(); at += kChunkSize) {
    const CommandResult written = commands.WriteBuffer(at, image.subspan(at, kChunkSize), kControlData);
    if (written.stopped) return Halt(commands);
    if (!Checked(written, "Write Buffer> ")) return Failed(commands, ", Fail! ");
    observer_.Progress(at + kChunkSize, ImageLength_);
  }
  return std::nullopt;
}

std::optional<FlashOutcome> FlashEngine::EnterCritical(VendorCommands& commands) {
  // The phase starts with an empty bar; the drive's answer ends it.
  observer_.Progress(0, ImageLength_);
  ShowPhase("Drive entry critical... ");
  const CommandResult critical = commands.EntryCritical();
  if (critical.stopped) return Halt(commands);
  criticalSent_ = true;  // refused or not, the drive may have entered the state
  if (!Checked(critical, "Entry critical> ")) return Failed(commands, ", Fail! ");
  return std::nullopt;
}

std::optional<FlashOutcome> FlashEngine::VerifyDownload(VendorCommands& commands) {
  ShowPhase("Read back and Verify drive's DRAM... ");
  // Every profile written is read back, the empty one of an unknown flash
  // chip too: a profile the drive holds wrongly is as bad as a wrong image.
  if (FiveBank_) {
    const VerifyResult verify = commands.ReadBackProfile(std::span(profile_).first(ProfileLength_));
    if (verify.command.stopped) return Halt(commands);
    if (!Checked(verify.command, "Read Profile> ") || !verify.equal) {
      if (verify.command.ok) Tell(NoticeKind::Plain, "Compared profile error!");
      return Failed(commands, ", Valid Profile Fail!");
    }
  }
  observer_.Progress(0, ImageLength_);
  const auto image = package_.Slot().first(ImageLength_);
  for (std::uint32_t at = 0; at < image.size(); at += kChunkSize) {
    const VerifyResult read = commands.ReadBack(at, image.subspan(at, kChunkSize));
    if (read.command.stopped) return Halt(commands);
    if (!Checked(read.command, "Read Buffer> ")) return Failed(commands, ", Read Fail! ");
    if (!read.equal) {
      AppendToPhase(", Compare BIN and DRAM Fail! ");
      Tell(NoticeKind::Plain, "Compare BIN and DRAM fail!");
      return Failed(commands, "");
    }
    observer_.Progress(at + kChunkSize, ImageLength_);
  }
  return std::nullopt;
}

FlashOutcome FlashEngine::Commit(VendorCommands& commands) {
  // From here the run either stops or commits, never both: a stop asked
  // for from now on is refused.
  if (gate_ != nullptr && !gate_->EnterCommit()) return Halt(commands);
  ShowPhase("Don't turn off the system, Flash is in progress...");
  observer_.Progress(kCommitScale - 2, kCommitScale);
  report_.commitSent = true;
  CommandResult committed;
  {
    const VendorCommands::RaisedTimeout raised(commands, kCommitTimeout);
    committed = commands.WriteBuffer(0, {}, FlashAll_ ? kControlCommitAll : kControlCommit);
  }
  if (!Checked(committed, "Write Buffer> ")) {
    observer_.Progress(0, kCommitScale);
    ShowPhase("Flash Fail.");
    if (!SelectedDrive->CommitUnanswered()) return FlashOutcome::CommitFailed;
    Tell(NoticeKind::Plain, kCommitUnansweredText);
    return FlashOutcome::CommitUnanswered;
  }
  return FlashOutcome::Completed;
}

void FlashEngine::ShowPhase(const std::string& caption) {
  caption_ = caption;
  observer_.ShowCaption(caption_);
}

void FlashEngine::AppendToPhase(const char* suffix) { ShowPhase(caption_ + suffix); }

}  // namespace cdflash
