#include "session/FlashSession.h"

#include <optional>
#include <utility>

#include "session/DriveJudgement.h"
#include "session/RunExitCode.h"
#include "session/Version.h"
#include "device/CommandLog.h"
#include "device/ExclusiveUse.h"
#include "record/RecordFile.h"
#include "record/UtcTime.h"
#include "common/Text.h"
#include "device/Cddrive.h"
#include "device/Cddrives.h"
#include "device/DeviceMessages.h"
#include "device/platform/Platform.h"
#include "device/routes/SrNames.h"
#include "system/SystemServices.h"

namespace cdflash {
namespace {

std::string DeviceName(std::uint32_t platform, char letter) {
  if (platform == kPlatformLinux) return SrDevicePath(letter);
  if (platform == kPlatformWin32Nt) return std::string("\\\\.\\") + letter + ":";
  return {};
}

std::string OutcomeText(FlashOutcome outcome) {
  switch (outcome) {
    case FlashOutcome::Declined: return "declined";
    case FlashOutcome::AlreadyUpToDate: return "already up to date";
    case FlashOutcome::DiscInDrive: return "a disc in the drive";
    case FlashOutcome::DriveNotReady: return "the drive did not become ready";
    case FlashOutcome::LowBattery: return "the battery too low";
    case FlashOutcome::NoDrive: return "no drive";
    case FlashOutcome::FailedBeforeWrite: return "failed before anything was written";
    case FlashOutcome::FailedAfterWrite: return "failed before the commit";
    case FlashOutcome::Cancelled: return "stopped before the commit";
    case FlashOutcome::CommitFailed: return "the commit failed";
    case FlashOutcome::CommitUnanswered: return "the commit never answered";
    case FlashOutcome::Completed: return "flashed";
  }
  return "unknown";
}

std::string AddressText(const DriveAddress& address) {
  return Format("%d-%d-%d", address.hostAdapter, address.target, address.lun);
}

// What keeps a drive's unanswered commit: its device, or its address where
// it has none (the ASPI layer).
std::string KeyOf(const std::string& address, const std::string& device) { return device.empty() ? address : device; }

// The entry names the drive by the identity kept with it (Describe()).
constexpr const char* kUnansweredCommitRefusal =
    "a commit to it never answered: it may still be programming its flash, so nothing is sent to it until the "
    "computer restarts. Wait several minutes, then power the computer off and on";

// An identity as a message shows it: "0" is a drive that did not answer.
std::string Shown(const std::string& identity) { return identity == "0" ? std::string("no answer") : identity; }

std::string RefusalOf(const PackageView& package, const CDDrive* drive) {
  if (drive == nullptr) return "could not be opened";
  switch (CheckCondition(package, *drive)) {
    case DriveVerdict::Accepted: return {};
    case DriveVerdict::OtherModel: return "another model (this flasher is for " + std::string(Trimmed(package.RequiredIdentity(), " ")) + ")";
    case DriveVerdict::RevisionOutOfRange: return "revision out of range " + package.RangeText();
  }
  return {};
}

}  // namespace

// The device layer's reports, handed to the front end's messages while the
// session lives.
struct FlashSession::Reports final : IDeviceReports {
  explicit Reports(DeviceMessages messages) : messages_(std::move(messages)), previous_(DeviceReports()) {
    SetDeviceReports(this);
  }
  ~Reports() override {
    if (DeviceReports() == this) SetDeviceReports(previous_);
  }
  void DeviceMessage(const std::string& text) override { messages_(text, false); }
  void DeviceError(const std::string& text) override { messages_(text, true); }

  DeviceMessages messages_;
  IDeviceReports* previous_;
};

std::string DriveEntry::Describe() const {
  if (!opened && (!commitUnanswered || identity.empty())) return device.empty() ? std::string(1, letter) : device;
  return identity + (device.empty() ? "" : "  (" + device + ")");
}

FlashSession::FlashSession(PackageView package, ISystemServices& system, DeviceMessages messages)
    : package_(package), system_(system), reports_(std::make_unique<Reports>(std::move(messages))) {}

FlashSession::~FlashSession() = default;

std::vector<std::pair<DriveAddress, std::string>> FlashSession::LeftAlone(const std::vector<DriveAddress>& addresses,
                                                                         std::uint32_t platformId) const {
  std::vector<std::pair<DriveAddress, std::string>> leftAlone;
  IUnansweredCommits* const unanswered = system_.UnansweredCommits();
  for (const DriveAddress& address : addresses) {
    if (unanswered == nullptr) break;
    const std::string key = KeyOf(AddressText(address), DeviceName(platformId, address.letter));
    const std::optional<std::string> kept = unanswered->Find(key);
    if (kept) leftAlone.emplace_back(address, *kept);
  }
  return leftAlone;
}

bool FlashSession::LacksRights() const {
  IPlatform& platform = CurrentPlatform();
  const std::uint32_t id = platform.PlatformId();
  std::vector<DriveAddress> leaveAlone;
  for (const auto& [address, identity] : LeftAlone(platform.DriveAddresses(id), id)) leaveAlone.push_back(address);
  return platform.CheckAccess(leaveAlone).LacksRights();
}

void FlashSession::FindDrives() {
  entries_.clear();
  driveIndex_.clear();
  IPlatform& platform = CurrentPlatform();
  const std::uint32_t id = platform.PlatformId();
  const std::vector<DriveAddress> addresses = platform.DriveAddresses(id);
  // Drives whose commit never answered are looked up before any drive is
  // opened: they are sent nothing, INQUIRY included.
  const std::vector<std::pair<DriveAddress, std::string>> leftAlone = LeftAlone(addresses, id);
  const auto keptIdentity = [&leftAlone](const DriveAddress& address) -> const std::string* {
    for (const auto& [a, identity] : leftAlone) {
      if (a == address) return &identity;
    }
    return nullptr;
  };
  drives_ = std::make_unique<CDDrives>([&](const DriveAddress& address) { return keptIdentity(address) != nullptr; });

  for (const DriveAddress& address : addresses) {
    DriveEntry entry;
    entry.address = AddressText(address);
    entry.letter = address.letter;
    entry.device = DeviceName(id, address.letter);
    int index = -1;
    for (int i = 0; i < drives_->Count(); ++i) {
      drives_->Select(static_cast<std::int16_t>(i));
      if (drives_->Current->Address() == address) index = i;
    }
    const std::string* kept = keptIdentity(address);
    // The ASPI layer's addresses are probes, not drives: only the opened count there.
    if (index < 0 && kept == nullptr && id == kPlatformWin32Windows) continue;
    const CDDrive* drive = nullptr;
    if (index >= 0) {
      drives_->Select(static_cast<std::int16_t>(index));
      drive = drives_->Current;
      entry.opened = true;
      entry.identity = drive->IdentityText();
      entry.vendorProduct = drive->VendorProduct();
      entry.revision = drive->Revision();
    }
    entry.refusal = RefusalOf(package_, drive);
    if (kept != nullptr) {
      entry.commitUnanswered = true;
      entry.identity = *kept;
      entry.refusal = kUnansweredCommitRefusal;
    }
    entries_.push_back(entry);
    driveIndex_.push_back(index);
  }
}

std::vector<const DriveEntry*> FlashSession::Opened() const {
  std::vector<const DriveEntry*> opened;
  for (const DriveEntry& e : entries_) {
    if (e.opened) opened.push_back(&e);
  }
  return opened;
}

std::vector<const DriveEntry*> FlashSession::Named(const std::string& selector) const {
  std::vector<const DriveEntry*> named;
  for (const DriveEntry& e : entries_) {
    const std::string letter(1, e.letter);
    const bool byLetter = e.letter != ' ' && (selector == letter || selector == letter + ":");
    if (selector == e.address || byLetter || (!e.device.empty() && selector == e.device)) named.push_back(&e);
  }
  return named;
}

CDDrive* FlashSession::DriveOf(const DriveEntry& entry) {
  const std::size_t at = static_cast<std::size_t>(&entry - entries_.data());
  if (!drives_ || at >= driveIndex_.size() || driveIndex_[at] < 0) return nullptr;
  drives_->Select(static_cast<std::int16_t>(driveIndex_[at]));
  return drives_->Current;
}

std::string FlashSession::Rejudge(DriveEntry& entry, CDDrive& drive) {
  // A drive whose commit never answered gets nothing, INQUIRY included: the
  // engine refuses it.
  if (drive.CommitUnanswered()) return {};
  const std::string before = entry.identity;
  const std::string now = drive.GetIdentity();
  entry.identity = now;
  entry.vendorProduct = drive.VendorProduct();
  entry.revision = drive.Revision();
  entry.refusal = RefusalOf(package_, &drive);
  const std::string nothingWritten = "Nothing was written to the drive.";
  if (now != before) {
    return "The drive is not the one listed.\nListed: " + Shown(before) + "\nNow:    " + Shown(now) + "\n" +
           nothingWritten +
           (now == "0" ? " Check the drive and find the drives again."
            : entry.refusal.empty() ? " Start the update again to update the drive as it is now."
                                    : " This flasher may not update it: " + entry.refusal + ".");
  }
  if (!entry.refusal.empty()) {
    return "This flasher may not update " + now + ": " + entry.refusal + ". " + nothingWritten;
  }
  return {};
}

void FlashSession::KeepUnansweredCommit(const DriveEntry& entry, const std::string& identity,
                                        IFlashObserver& observer) {
  // Where the system keeps none, this process refuses the drive alone, as
  // the engine has told.
  IUnansweredCommits* const unanswered = system_.UnansweredCommits();
  std::string problem;
  if (unanswered == nullptr || unanswered->Keep(KeyOf(entry.address, entry.device), identity, problem)) return;
  // Told past the run's own failure, which stays what the record says.
  observer.Tell(NoticeKind::Warning, "Other programs cannot be told to leave the drive alone (" + problem +
                                         "): start none on it until the computer has been powered off and on.");
}

std::string FlashSession::FreshIdentity(const DriveEntry& entry) {
  CDDrive* drive = DriveOf(entry);
  return drive != nullptr ? drive->GetIdentity() : "0";
}

FlashReport FlashSession::Run(const DriveEntry& entry, IFlashObserver& observer, const FlashRunOptions& options) {
  FlashReport report;
  CDDrive* opened = DriveOf(entry);
  if (opened == nullptr) return report;
  CDDrive& drive = *opened;
  DriveEntry& listed = entries_[static_cast<std::size_t>(&entry - entries_.data())];
  report.identityBefore = drive.IdentityText();

  RunRecord record;
  record.programVersion = CDFLASH_VERSION_TEXT;
  record.startedMs = WallClockMs();
  record.drive = entry.device.empty() ? entry.address : entry.device;
  record.package = ReadPackageFields(package_);
  record.identityBefore = report.identityBefore;
  {
    CommandCollector commands;
    const ScopedCommandLog logged(commands);
    // The drive to this program alone, until the run ends however it ends.
    const ExclusiveUse exclusive = drive.TakeExclusiveUse();
    if (exclusive.refused) {
      report.failure = exclusive.cause +
                       ". Close the program that uses it, or unmount its disc, and try again. Nothing was "
                       "written to the drive.";
      observer.Tell(NoticeKind::Plain, report.failure);
      report.outcome = FlashOutcome::FailedBeforeWrite;
    } else if (const std::string refused = Rejudge(listed, drive); !refused.empty()) {
      record.identityBefore = report.identityBefore = drive.IdentityText();
      report.failure = refused;
      observer.Tell(NoticeKind::Plain, refused);
      report.outcome = FlashOutcome::FailedBeforeWrite;
    } else {
      // The questions, the revisions compared and the record go by the
      // drive as it answered just now.
      record.identityBefore = report.identityBefore = drive.IdentityText();
      FlashEngine engine(package_, observer, system_);
      engine.SetDrive(&drive);
      engine.SetCommitGate(options.gate);
      static_cast<FlashRunReport&>(report) = engine.Run();
      if (drive.CommitUnanswered()) KeepUnansweredCommit(listed, report.identityBefore, observer);
    }
    record.commands = std::move(commands.commands);
  }

  Finish(record, report, options);
  return report;
}

FlashReport FlashSession::EndBeforeRun(const std::string& drive, FlashOutcome outcome, const std::string& failure,
                                       const FlashRunOptions& options) const {
  FlashReport report;
  report.outcome = outcome;
  report.failure = failure;
  const std::vector<const DriveEntry*> named = Named(drive);
  if (named.size() == 1) report.identityBefore = named.front()->identity;
  RunRecord record;
  record.programVersion = CDFLASH_VERSION_TEXT;
  record.startedMs = WallClockMs();
  record.drive = named.size() == 1 && !named.front()->device.empty() ? named.front()->device : drive;
  record.package = ReadPackageFields(package_);
  record.identityBefore = report.identityBefore;
  Finish(record, report, options);
  return report;
}

std::string FlashSession::RecordPlaceProblem(const std::string& recordFile) const {
  return cdflash::RecordPlaceProblem(RecordPlaceFor(system_, recordFile));
}

// The record, whatever became of the run; one that cannot be written is
// told, and changes nothing of the run.
void FlashSession::Finish(RunRecord& record, FlashReport& report, const FlashRunOptions& options) const {
  record.endedMs = WallClockMs();
  record.identityAfter = report.identityAfter;
  record.outcome = OutcomeText(report.outcome);
  record.exitCode = options.exitCode ? options.exitCode(report) : ExitCodeOf(report);
  record.failure = report.failure;
  const RecordWriteResult written = WriteRunRecord(record, RecordPlaceFor(system_, options.recordFile));
  report.recordPath = written.written ? written.path : std::string();
  report.recordProblem = written.problem;
  report.summaryJson = RunSummaryJson(record, report.recordPath);
}

}  // namespace cdflash
