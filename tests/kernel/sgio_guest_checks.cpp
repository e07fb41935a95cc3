// Checks the Linux SG_IO route end to end against a real kernel. Runs as the
// only program of a QEMU guest whose PIIX IDE bus carries an emulated ATAPI
// drive without a disc: the path through libata's ATAPI translation
// (scripts/test-kernel.sh), first as root, then as an unprivileged user whose
// WRITE BUFFER the kernel's command filter refuses. Whole runs, and what a
// drive does with WRITE BUFFER, are the drives of our own's part
// (tests/kernel/drive_runs.sh).
// Prints one line per check and "N passed, N failed"; exit status 0 only when
// every check passed.

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <array>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

#include "CheckLog.h"
#include "GuestDevices.h"
#include "common/Text.h"
#include "device/Cddrive.h"
#include "device/Cddrives.h"
#include "device/ExclusiveUse.h"
#include "device/routes/SrNames.h"
#include "device/platform/Platform.h"

namespace cdflash::kernelcheck {
namespace {

// The drive "letter" of the /dev/srN whose SCSI vendor (sysfs) begins with
// `vendor`; 0 when none. Device numbers depend on probe order, names do not.
char SrWithVendor(const std::string& vendor) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/sys/block", ec)) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with("sr") || name.size() != 3) continue;
    std::ifstream in(entry.path() / "device" / "vendor");
    std::string text;
    std::getline(in, text);
    if (text.starts_with(vendor)) return name[2];
  }
  return 0;
}

CDDrive* SelectLetter(CDDrives& drives, char letter) {
  for (int i = 0; i < drives.Count(); ++i) {
    drives.Select(static_cast<std::int16_t>(i));
    if (drives.Current->Letter() == letter) return drives.Current;
  }
  return nullptr;
}

const std::string& kVendorProduct = kAtapiVendorProduct;
const std::string& kRevision = kAtapiRevision;
constexpr uid_t kUnprivilegedId = 1000;
constexpr std::uint8_t kFill = 0xA5;

using Cdb = CommandBytes;

// The 16 KiB transfer buffer that the main window registers as the data buffer.
std::array<std::uint8_t, kChunk> transfer;

// Descriptors of this process that are open on a CD device node.
int OpenDriveDescriptors() {
  int count = 0;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
    const auto target = std::filesystem::read_symlink(entry.path(), ec);
    if (!ec && target.string().starts_with("/dev/sr")) ++count;
  }
  return count;
}

bool TransferUntouchedFrom(std::size_t offset) {
  return std::all_of(transfer.begin() + static_cast<std::ptrdiff_t>(offset), transfer.end(),
                     [](std::uint8_t b) { return b == kFill; });
}

// The drive is listed and identifies itself as the emulated one.
CDDrive* CheckDiscovery(CheckLog& log, CDDrives& drives, const std::string& who) {
  const char letter = SrWithVendor("QEMU");
  CDDrive* drive = SelectLetter(drives, letter);
  if (!log.Check(who + "the drive listed", drives.Count() == 1 && drive != nullptr,
                 Format("count %d, QEMU drive sr%c", drives.Count(), letter ? letter : '?'))) {
    return nullptr;
  }
  log.Check(who + "open status 0", CDDrive::OpenStatus() == 0 && CDDrive::OpenCount() == 1,
            Format("open status %02X, open count %d", CDDrive::OpenStatus(), CDDrive::OpenCount()));
  log.Check(who + "vendor and product", drive->VendorProduct() == kVendorProduct,
            "\"" + drive->VendorProduct() + "\"");
  log.Check(who + "revision", drive->Revision() == kRevision, "\"" + drive->Revision() + "\"");
  return drive;
}

void CheckIdentity(CheckLog& log, CDDrive& drive) {
  // /dev/srN stands as drive "letter" N, so the prefix keeps its nine characters.
  const std::string expected = Format("%d-%d-%d %c: ", drive.HostAdapter(), drive.Target(),
                                      drive.Lun(), drive.Letter()) +
                               kVendorProduct + kRevision;
  log.Check("identity text", drive.IdentityText() == expected,
            "\"" + drive.IdentityText() + "\"");
  const std::string again = drive.GetIdentity();
  log.Check("GetIdentity repeats INQUIRY", again == expected, "\"" + again + "\"");
}

void CheckInquiryIntoDataBuffer(CheckLog& log, CDDrive& drive) {
  transfer.fill(kFill);
  const std::int32_t result = Send(drive, {0x12, 0, 0, 0, 36, 0, 0, 0, 0, 0, 0, 0}, kDataIn, 36);
  const std::string text(transfer.begin() + 8, transfer.begin() + 36);
  log.Check("INQUIRY lands in the data buffer",
            result != 0 && drive.Last().succeeded && drive.Last().SenseIs(0, 0, 0) &&
                (transfer[0] & 0x1F) == 0x05 && text == kVendorProduct + kRevision,
            Outcome(drive, result) + ", bytes 8-35 \"" + text + "\"");
  log.Check("INQUIRY writes nothing past its length", TransferUntouchedFrom(36));
}

void CheckNoDisc(CheckLog& log, CDDrive& drive, const std::string& who) {
  const std::int32_t result = TestUnitReady(drive);
  log.Check(who + "TEST UNIT READY without a disc: 02 3A 00",
            result == 0 && !drive.Last().succeeded && drive.Last().SenseIs(0x02, 0x3A, 0x00) &&
                drive.Last().SenseIs(0x02, 0x3A) && drive.Last().SenseText().starts_with("02 3A 00. "),
            Outcome(drive, result));
}

void CheckStartStop(CheckLog& log, CDDrive& drive) {
  const std::int32_t result = Send(drive, {0x1B, 0, 0, 0, 0x03, 0, 0, 0, 0, 0, 0, 0}, kDataIn, 0);
  log.Check("START STOP UNIT (load) succeeds",
            result != 0 && drive.Last().succeeded && drive.Last().SenseIs(0, 0, 0),
            Outcome(drive, result));
}

// Commands that reach the drive and that it rejects as unknown: 05 20 00.
void CheckDriveRejects(CheckLog& log, CDDrive& drive) {
  transfer.fill(kFill);
  std::int32_t result = WriteBufferChunk(drive);
  log.Check("WRITE BUFFER mode 5: 05 20 00",
            result == 0 && !drive.Last().succeeded && drive.Last().SenseIs(0x05, 0x20, 0x00) &&
                !drive.Last().SenseIs(0, 0, 0) && drive.Last().SenseText().starts_with("05 20 00. "),
            Outcome(drive, result));

  // No check of the buffer here: for a data-in command the kernel may copy its
  // bounce buffer back even when the drive refused (zeros, seen on 6.1).
  result = ReadBufferChunk(drive);
  log.Check("READ BUFFER: 05 20 00",
            result == 0 && !drive.Last().succeeded && drive.Last().SenseIs(0x05, 0x20, 0x00),
            Outcome(drive, result));

  result = Send(drive, {0xDF, 0x11, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0}, kDataIn, 128);
  log.Check("vendor opcode DF 11: 05 20 00",
            result == 0 && !drive.Last().succeeded && drive.Last().SenseIs(0x05, 0x20, 0x00),
            Outcome(drive, result));
}

// A length past the data buffer never reaches the kernel: nothing is written
// past the buffer's end, and the refusal is no success.
void CheckLengthPastBuffer(CheckLog& log, CDDrive& drive) {
  constexpr std::int32_t kShort = 16;
  transfer.fill(kFill);
  CDDrive::SetDataBuffer(transfer.data(), kShort);
  const std::int32_t result = Send(drive, {0x12, 0, 0, 0, 36, 0, 0, 0, 0, 0, 0, 0}, kDataIn, 36);
  CDDrive::SetDataBuffer(transfer.data(), static_cast<std::int32_t>(transfer.size()));
  log.Check("a length past the data buffer is refused",
            result == 0 && !drive.Last().succeeded &&
                drive.Last().systemError == kInvalidParameterError && TransferUntouchedFrom(0),
            Outcome(drive, result) + Format(", system error %u", drive.Last().systemError));
}

// Refused by the kernel before it reaches the drive: a transport failure, never
// a success, whatever the sense bytes hold.
void CheckFilterRefuses(CheckLog& log, CDDrive& drive, const std::string& name, const Cdb& cdb,
                        std::uint8_t direction, std::int32_t length) {
  const std::int32_t result = Send(drive, cdb, direction, length);
  log.Check(name,
            result == 0 && !drive.Last().succeeded && drive.Last().systemError == EPERM &&
                !drive.Last().SenseIs(0x05, 0x20, 0x00) &&
                drive.Last().SenseText().ends_with(Format(", %04X", EPERM)),
            Outcome(drive, result) + Format(", system error %u", drive.Last().systemError));
}

// What the flasher learns before it sends anything: may it use the drives?
void CheckAccess(CheckLog& log, bool root) {
  const DriveAccess access = CurrentPlatform().CheckAccess({});
  log.Check(root ? "root may send firmware commands to the drive"
                 : "unprivileged: the drives open, but firmware commands are not allowed",
            access.listed == 1 && access.openable == 1 && access.rawCommandsAllowed == root &&
                access.LacksRights() == !root,
            Format("listed %d, openable %d, raw commands %s", access.listed, access.openable,
                   access.rawCommandsAllowed ? "allowed" : "not allowed"));
}

// Another process that holds `device` open exclusively, as a burning
// program or a mount would, until this goes.
class OtherHolder {
 public:
  explicit OtherHolder(const std::string& device) {
    int ready[2];
    if (pipe(ready) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      const int fd = open(device.c_str(), O_RDONLY | O_NONBLOCK | O_EXCL);
      const char held = fd >= 0 ? 'y' : 'n';
      if (write(ready[1], &held, 1) != 1) _exit(1);
      pause();
      _exit(0);
    }
    char held = 'n';
    holds_ = pid_ > 0 && read(ready[0], &held, 1) == 1 && held == 'y';
    close(ready[0]);
    close(ready[1]);
  }
  ~OtherHolder() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  OtherHolder(const OtherHolder&) = delete;
  OtherHolder& operator=(const OtherHolder&) = delete;
  bool Holds() const { return holds_; }

 private:
  pid_t pid_ = -1;
  bool holds_ = false;
};

// While another process holds the drive the run's claim is refused, naming
// the device; once the other lets go the claim holds, and gives the drive
// back when it goes.
void CheckExclusiveUse(CheckLog& log, CDDrive& drive) {
  const std::string device = SrDevicePath(drive.Letter());
  {
    const OtherHolder other(device);
    const ExclusiveUse refused = drive.TakeExclusiveUse();
    log.Check("another process holds " + device + " exclusively: the run's claim is refused, naming it",
              other.Holds() && refused.refused && !refused.Held() &&
                  refused.cause.find(device) != std::string::npos,
              "\"" + refused.cause + "\"");
  }
  const bool heldNow = drive.TakeExclusiveUse().Held();
  const int again = open(device.c_str(), O_RDONLY | O_NONBLOCK | O_EXCL);
  log.Check("once the other lets go the claim holds, and ends with the run", heldNow && again >= 0);
  if (again >= 0) close(again);
}

void RunAsRoot(CheckLog& log) {
  log.Note("as root");
  CheckAccess(log, true);
  {
    CDDrives drives;
    CDDrive* drive = CheckDiscovery(log, drives, "");
    if (drive != nullptr) {
      CDDrive::SetDataBuffer(transfer.data(), static_cast<std::int32_t>(transfer.size()));
      CheckIdentity(log, *drive);
      CheckInquiryIntoDataBuffer(log, *drive);
      CheckNoDisc(log, *drive, "");
      CheckStartStop(log, *drive);
      CheckNoDisc(log, *drive, "after load: ");
      CheckDriveRejects(log, *drive);
      CheckLengthPastBuffer(log, *drive);
      CheckExclusiveUse(log, *drive);
    }
  }
  log.Check("closing the list closes every drive",
            CDDrive::OpenCount() == 0 && OpenDriveDescriptors() == 0,
            Format("open count %d, descriptors on /dev/sr* %d", CDDrive::OpenCount(),
                   OpenDriveDescriptors()));
}

bool DropPrivileges(CheckLog& log) {
  const bool dropped = setgroups(0, nullptr) == 0 && setgid(kUnprivilegedId) == 0 &&
                       setuid(kUnprivilegedId) == 0;
  return log.Check("drop to uid 1000", dropped && geteuid() == kUnprivilegedId,
                   Format("uid %d, euid %d", static_cast<int>(getuid()), static_cast<int>(geteuid())));
}

void RunUnprivileged(CheckLog& log) {
  log.Note("as uid 1000, without CAP_SYS_RAWIO");
  CheckAccess(log, false);
  CDDrives drives;
  CDDrive* drive = CheckDiscovery(log, drives, "unprivileged: ");
  if (drive == nullptr) return;
  CDDrive::SetDataBuffer(transfer.data(), static_cast<std::int32_t>(transfer.size()));
  CheckNoDisc(log, *drive, "unprivileged: ");
  CheckFilterRefuses(log, *drive, "unprivileged: WRITE BUFFER refused with EPERM",
                     {0x3B, 0x05, 0x01, 0, 0, 0, 0, 0x40, 0, 0, 0, 0}, kDataOut, 16384);
  CheckFilterRefuses(log, *drive, "unprivileged: vendor opcode DF refused with EPERM",
                     {0xDF, 0x11, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0}, kDataIn, 128);
  // A refused command leaves the route usable.
  CheckNoDisc(log, *drive, "unprivileged, after a refusal: ");
}

}  // namespace
}  // namespace cdflash::kernelcheck

int main() {
  using namespace cdflash::kernelcheck;
  CheckLog log;
  if (log.Check("runs as root", geteuid() == 0)) {
    RunAsRoot(log);
    if (DropPrivileges(log)) RunUnprivileged(log);
  }
  return log.Finish();
}
