// --list and --flash: the drives of the machine, and the update of one, with
// the same checks and texts as the window.

#include <algorithm>
#include <optional>
#include <vector>

#include "app/DriveJudgement.h"
#include "app/StartupTexts.h"
#include "common/Text.h"
#include "device/Cddrives.h"
#include "device/DeviceMessages.h"
#include "device/platform/Platform.h"
#include "device/routes/SrNames.h"
#include "flash/FlashEngine.h"
#include "system/Elevation.h"
#include "system/SystemServices.h"
#include "ui/cli/Commands.h"
#include "ui/cli/Interrupt.h"
#include "ui/cli/Json.h"

namespace cdflash::cli {
namespace {

// The device layer's reports go to standard error.
class ErrorReports final : public IDeviceReports {
 public:
  explicit ErrorReports(ITerminal& terminal) : terminal_(terminal), previous_(DeviceReports()) {
    SetDeviceReports(this);
  }
  ~ErrorReports() override { SetDeviceReports(previous_); }
  void DeviceMessage(const std::string& text) override { terminal_.Err(text + "\n"); }
  void DeviceError(const std::string& text) override { terminal_.Err(text + "\n"); }

 private:
  ITerminal& terminal_;
  IDeviceReports* previous_;
};

struct DriveEntry {
  DriveAddress address;
  CDDrive* drive = nullptr;  // null: listed by the system but could not be opened
  std::string device;        // the system's name for it, where it has one
};

std::string DeviceName(std::uint32_t platform, char letter) {
  if (platform == kPlatformLinux) return SrDevicePath(letter);
  if (platform == kPlatformWin32Nt) return std::string("\\\\.\\") + letter + ":";
  return {};
}

// Every drive the system lists, opened or not (the ASPI layer's addresses
// are probes, not drives: only the opened ones count there).
std::vector<DriveEntry> Entries(CDDrives& drives) {
  IPlatform& platform = CurrentPlatform();
  const std::uint32_t id = platform.PlatformId();
  std::vector<DriveEntry> entries;
  for (const DriveAddress& address : platform.DriveAddresses(id)) {
    DriveEntry entry{address, nullptr, DeviceName(id, address.letter)};
    for (int i = 0; i < drives.Count(); ++i) {
      drives.Select(static_cast<std::int16_t>(i));
      if (drives.Current->Address() == address) entry.drive = drives.Current;
    }
    if (entry.drive != nullptr || id != kPlatformWin32Windows) entries.push_back(entry);
  }
  return entries;
}

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Why this flasher may not update the drive; empty when it may.
std::string Refusal(const PackageView& package, const DriveEntry& entry) {
  if (entry.drive == nullptr) return "could not be opened";
  switch (CheckCondition(package, *entry.drive)) {
    case DriveVerdict::Accepted: return {};
    case DriveVerdict::OtherModel: return "another model (this flasher is for " + Trim(package.RequiredIdentity()) + ")";
    case DriveVerdict::RevisionOutOfRange: return "revision out of range " + package.RangeText();
  }
  return {};
}

bool Matches(const DriveEntry& entry, const std::string& wanted) {
  const DriveAddress& a = entry.address;
  const std::string prefix = Format("%d-%d-%d", a.hostAdapter, a.target, a.lun);
  return wanted == prefix || wanted == std::string(1, a.letter) ||
         (wanted.size() == 2 && wanted[1] == ':' && wanted[0] == a.letter) ||
         (!entry.device.empty() && wanted == entry.device);
}

}  // namespace

int ListDrives(const TerminalContext& context, bool json) {
  ITerminal& t = context.terminal;
  const bool flasher = !context.package.IsTemplate();
  ErrorReports reports(t);
  CDDrives drives;
  const std::vector<DriveEntry> entries = Entries(drives);
  if (json) {
    std::string out = "{\"mode\": " + JsonString(flasher ? "flasher" : "template") + ", \"drives\": [";
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const DriveEntry& e = entries[i];
      out += i == 0 ? "\n  {" : ",\n  {";
      out += "\"opened\": " + std::string(e.drive ? "true" : "false");
      if (e.drive != nullptr) {
        out += ", \"identity\": " + JsonString(e.drive->IdentityText()) +
               ", \"vendorProduct\": " + JsonString(e.drive->VendorProduct()) +
               ", \"revision\": " + JsonString(e.drive->Revision());
      }
      if (!e.device.empty()) out += ", \"device\": " + JsonString(e.device);
      if (flasher) {
        const std::string why = Refusal(context.package, e);
        out += ", \"updatable\": " + std::string(why.empty() ? "true" : "false");
        if (!why.empty()) out += ", \"reason\": " + JsonString(why);
      }
      out += "}";
    }
    t.Out(out + (entries.empty() ? "]}\n" : "\n]}\n"));
    return kExitFlashed;
  }
  if (entries.empty()) t.Out("No CD drive found.\n");
  for (const DriveEntry& e : entries) {
    std::string line = e.drive ? e.drive->IdentityText() : (e.device.empty() ? std::string(1, e.address.letter) : e.device);
    line += "\n";
    if (e.drive != nullptr) {
      line += "    vendor/product: " + e.drive->VendorProduct() + "  revision: " + e.drive->Revision();
      if (!e.device.empty()) line += "  device: " + e.device;
      line += "\n";
    }
    if (flasher) {
      const std::string why = Refusal(context.package, e);
      line += why.empty() ? "    this flasher may update it\n" : "    not for this flasher: " + why + "\n";
    } else if (e.drive == nullptr) {
      line += "    could not be opened\n";
    }
    t.Out(line);
  }
  return kExitFlashed;
}

int FlashDrive(const TerminalContext& context, const std::string& wanted, Answers answers) {
  ITerminal& t = context.terminal;
  if (context.package.IsTemplate()) {
    t.Err("This program is a template: it holds no firmware. Build a flasher first (--build).\n");
    return kExitUsage;
  }
  TerminalObserver observer(t, answers);
  if (observer.Ask(QuestionKind::Warning, WarningText(context.package)) != Answer::Yes) {
    return kExitNothingDone;
  }
  if (CurrentPlatform().CheckAccess().LacksRights()) {
    const auto read = [&](const std::string& name) { return context.system.EnvironmentVariable(name); };
    t.Err("Updating firmware needs administrator rights, and this flasher runs without them. Run it as:\n  " +
          CommandText(ElevationCommand("sudo", context.system.ProgramPath(), read)) + " --flash " +
          wanted + "\n");
    return kExitFailedBeforeWrite;
  }

  ErrorReports reports(t);
  CDDrives drives;
  const std::vector<DriveEntry> entries = Entries(drives);
  const auto found = std::find_if(entries.begin(), entries.end(),
                                  [&](const DriveEntry& e) { return Matches(e, wanted); });
  if (found == entries.end()) {
    t.Err("No drive \"" + wanted + "\". --list shows the drives of this computer.\n");
    return kExitNothingDone;
  }
  if (const std::string why = Refusal(context.package, *found); !why.empty()) {
    t.Err("This flasher may not update " + (found->drive ? found->drive->IdentityText() : wanted) +
          ": " + why + ".\n");
    return kExitNothingDone;
  }

  std::vector<std::uint8_t> transfer(16384);
  CDDrive::SetDataBuffer(transfer.data(), static_cast<std::int32_t>(transfer.size()));
  FlashEngine engine(context.package, observer, context.system);
  engine.SetDrive(found->drive);
  InterruptGuard interrupts([&engine] { return engine.CommitSent(); });
  engine.SetCancelCheck([] { return InterruptGuard::StopRequested(); });
  const FlashOutcome outcome = engine.Run();
  CDDrive::SetDataBuffer(nullptr, 0);
  t.Out("\n");
  switch (outcome) {
    case FlashOutcome::Completed: return kExitFlashed;
    case FlashOutcome::Declined:
    case FlashOutcome::AlreadyUpToDate:
    case FlashOutcome::NoDrive: return kExitNothingDone;
    case FlashOutcome::DiscInDrive:
    case FlashOutcome::DriveNotReady:
    case FlashOutcome::FailedBeforeWrite: return kExitFailedBeforeWrite;
    case FlashOutcome::FailedAfterWrite: return kExitFailedAfterWrite;
    case FlashOutcome::Cancelled: return engine.WroteToDrive() ? kExitFailedAfterWrite : kExitFailedBeforeWrite;
    case FlashOutcome::CommitFailed: return kExitCommitFailed;
  }
  return kExitFailedAfterWrite;
}

}  // namespace cdflash::cli
