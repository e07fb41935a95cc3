#pragma once
// Flash mode, once for every front end: the machine's drives and what this
// flasher may do with each (and why not), the names a user gives them, and
// the run of the engine on the drive chosen, and a report of what it came
// to. The window and the terminal each drive one; neither reaches the device
// layer itself.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "device/Route.h"
#include "flash/CommitGate.h"
#include "flash/FlashEngine.h"
#include "package/PackageView.h"

namespace cdflash {

class CDDrive;
class CDDrives;
struct RunRecord;
class ISystemServices;

// One drive as the system lists it.
struct DriveEntry {
  std::string address;   // host adapter-target-LUN, "0-0-0"
  char letter = ' ';     // the drive's letter (Windows) or N of /dev/srN; blank where none
  std::string device;    // the system's name for it (/dev/sr0, \\.\D:), where it has one
  bool opened = false;   // it could be opened and answered INQUIRY
  std::string identity;  // the identity text of that INQUIRY
  std::string vendorProduct, revision;
  std::string refusal;   // why this flasher may not update it; empty when it may
  // A commit to it never answered since the computer started: it is left
  // alone, unopened, and `identity` is the one it had then.
  bool commitUnanswered = false;

  // "identity  (device)", or what names it where it could not be opened.
  std::string Describe() const;
};

// What a run came to: the engine's report, and around it the drive's
// identity when the run began and where its record went.
struct FlashReport : FlashRunReport {
  // Where the run's record went (empty when it could not be written, and
  // `recordProblem` says why), and its summary for scripts as JSON.
  std::string recordPath, recordProblem, summaryJson;
  std::string identityBefore;  // when the run began
};

struct FlashRunOptions {
  CommitGate* gate = nullptr;  // when given, a stop can be asked for
  std::string recordFile;      // the run's record here instead of the usual place
  // The number the record keeps for how the run ended; unset: ExitCodeOf.
  std::function<int(const FlashReport&)> exitCode;
};

class FlashSession {
 public:
  // Where the device layer's messages go while the session lives (the
  // window's message boxes, the terminal's standard error); `error` marks
  // those that end the use of the device layer.
  using DeviceMessages = std::function<void(const std::string& text, bool error)>;

  FlashSession(PackageView package, ISystemServices& system, DeviceMessages messages);
  ~FlashSession();
  FlashSession(const FlashSession&) = delete;
  FlashSession& operator=(const FlashSession&) = delete;

  // Whether drives exist but this process may not update any of them.
  bool LacksRights() const;
  // Finds the drives, opening each, and judges them; a drive whose commit
  // never answered (in any process, since the computer started) is listed
  // refused and sent nothing.
  void FindDrives();
  const std::vector<DriveEntry>& Entries() const { return entries_; }
  // The entries that opened, in the order found.
  std::vector<const DriveEntry*> Opened() const;
  // The entries a user's name for a drive names: its device (/dev/sr0,
  // \\.\D:), its letter (0, D or D:) or its address (1-0-0). An address can
  // name several: every drive of a system without host adapters is 0-0-0.
  std::vector<const DriveEntry*> Named(const std::string& selector) const;
  // A fresh INQUIRY of an opened drive: its identity text, "0" when it fails.
  std::string FreshIdentity(const DriveEntry& entry);

  // The update of `entry`'s drive, with the drive to this program alone
  // and a record of every command written when it ends, however it ends;
  // `observer` sees all the user sees. The run begins with a fresh INQUIRY
  // judged as at listing: a drive that changed since, or no longer
  // qualifies, is refused before anything is written, and its entry shows
  // it as it is now.
  FlashReport Run(const DriveEntry& entry, IFlashObserver& observer, const FlashRunOptions& options = {});

  // The record and report of a --flash that ended before any run began
  // (declined, no such drive, refused, no rights), so that it too leaves
  // its record: `drive` as the user named it, `failure` what they were told.
  FlashReport EndBeforeRun(const std::string& drive, FlashOutcome outcome, const std::string& failure,
                           const FlashRunOptions& options) const;
  // Why no record of a run could be written where `recordFile` (or, when
  // empty, the usual place) says; empty when one can.
  std::string RecordPlaceProblem(const std::string& recordFile) const;

 private:
  struct Reports;

  void Finish(RunRecord& record, FlashReport& report, const FlashRunOptions& options) const;
  // Of `addresses`, those of drives whose commit never answered, each with
  // the identity kept for it.
  std::vector<std::pair<DriveAddress, std::string>> LeftAlone(const std::vector<DriveAddress>& addresses,
                                                              std::uint32_t platformId) const;
  // The opened drive of one of Entries(), selected; null for any other.
  CDDrive* DriveOf(const DriveEntry& entry);
  // Asks the drive who it is now and judges it again, refreshing its entry;
  // why the run may not go on, empty when it may.
  std::string Rejudge(DriveEntry& entry, CDDrive& drive);
  // Keeps the refusal of a drive whose commit never answered for every
  // process until the computer restarts.
  void KeepUnansweredCommit(const DriveEntry& entry, const std::string& identity, IFlashObserver& observer);

  PackageView package_;
  ISystemServices& system_;
  std::unique_ptr<Reports> reports_;
  std::unique_ptr<CDDrives> drives_;
  std::vector<DriveEntry> entries_;
  std::vector<int> driveIndex_;  // per entry: its position in drives_, -1 when not opened
};

}  // namespace cdflash
