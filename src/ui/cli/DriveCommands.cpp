// --list and --flash: the drives of the machine, and the update of one, with
// the same checks and texts as the window.

#include <vector>

#include "app/DriveEntries.h"
#include "app/StartupTexts.h"
#include "device/Cddrives.h"
#include "device/DeviceMessages.h"
#include "device/platform/Platform.h"
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

std::string Candidates(const std::vector<DriveEntry>& entries) {
  if (entries.empty()) return "No CD drive found.\n";
  std::string text;
  for (const DriveEntry& e : entries) text += "  " + e.Describe() + "\n";
  return text;
}

int ExitCodeOf(FlashOutcome outcome, bool wrote) {
  switch (outcome) {
    case FlashOutcome::Completed: return kExitFlashed;
    case FlashOutcome::Declined:
    case FlashOutcome::AlreadyUpToDate:
    case FlashOutcome::NoDrive: return kExitNothingDone;
    case FlashOutcome::DiscInDrive:
    case FlashOutcome::DriveNotReady:
    case FlashOutcome::FailedBeforeWrite: return kExitFailedBeforeWrite;
    case FlashOutcome::FailedAfterWrite: return kExitFailedAfterWrite;
    case FlashOutcome::Cancelled: return wrote ? kExitFailedAfterWrite : kExitFailedBeforeWrite;
    case FlashOutcome::CommitFailed: return kExitCommitFailed;
  }
  return kExitFailedAfterWrite;
}

}  // namespace

int ListDrives(const TerminalContext& context, bool json) {
  ITerminal& t = context.terminal;
  const bool flasher = !context.package.IsTemplate();
  ErrorReports reports(t);
  CDDrives drives;
  const std::vector<DriveEntry> entries = ListDriveEntries(drives);
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
    std::string line = e.drive ? e.drive->IdentityText() : e.Describe();
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

  // The drive first: a selector that names no drive, or several, is refused
  // before anything is asked.
  ErrorReports reports(t);
  CDDrives drives;
  const std::vector<DriveEntry> entries = ListDriveEntries(drives);
  const std::vector<const DriveEntry*> named = Named(entries, wanted);
  if (named.size() != 1) {
    t.Err((named.empty() ? "No drive \"" + wanted + "\"" : "\"" + wanted + "\" names more than one drive") +
          ". Name one by its device; the drives of this computer:\n" + Candidates(entries));
    return kExitUsage;
  }
  const DriveEntry& entry = *named.front();

  if (CurrentPlatform().CheckAccess().LacksRights()) {
    const auto read = [&](const std::string& name) { return context.system.EnvironmentVariable(name); };
    t.Err("Updating firmware needs administrator rights, and this flasher runs without them. Run it as:\n  " +
          CommandText(ElevationCommand("sudo", context.system.ProgramPath(), read)) + " --flash " +
          wanted + "\n");
    return kExitFailedBeforeWrite;
  }
  if (const std::string why = Refusal(context.package, entry); !why.empty()) {
    t.Err("This flasher may not update " + entry.Describe() + ": " + why + ".\n");
    return kExitNothingDone;
  }

  TerminalObserver observer(t, answers);
  observer.SetSubject(entry.drive->IdentityText(), entry.device);
  if (observer.Ask(QuestionKind::Warning, WarningText(context.package)) != Answer::Yes) {
    return kExitNothingDone;
  }

  std::vector<std::uint8_t> transfer(16384);
  CDDrive::SetDataBuffer(transfer.data(), static_cast<std::int32_t>(transfer.size()));
  FlashEngine engine(context.package, observer, context.system);
  engine.SetDrive(entry.drive);
  CommitGate gate;
  FlashOutcome outcome{};
  {
    InterruptGuard interrupts(gate);
    engine.SetCommitGate(&gate);
    outcome = engine.Run();
  }
  CDDrive::SetDataBuffer(nullptr, 0);
  t.Err("\n");
  return ExitCodeOf(outcome, engine.WroteToDrive());
}

}  // namespace cdflash::cli
