// The Linux SG_IO route against a real kernel, as the only program of a QEMU
// guest whose IDE bus carries an emulated ATAPI drive without a disc
// (libata's ATAPI translation; scripts/test-kernel.sh): as root, then as a
// user whose WRITE BUFFER the kernel's command filter refuses. Whole runs are
// tests/kernel/drive_runs.sh's. Exit status 0 only when every check passed.

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <system_error>

#include "CheckLog.h"
#include "GuestDevices.h"
#include "common/Text.h"
#include "device/ExclusiveUse.h"
#include "device/routes/SrNames.h"
#include "device/platform/Platform.h"

namespace cdflash::kernelcheck {
namespace {

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

// The guest's one drive is listed, opened, and identifies itself as QEMU's.
CDDrive* CheckDiscovery(CheckLog& log, CDDrives& drives, const std::string& who) {
  if (drives.Count() == 1) drives.Select(0);
  CDDrive* drive = drives.Count() == 1 ? drives.Current : nullptr;
  log.Check(who + "the drive listed and open, its identity QEMU's",
            drive != nullptr && CDDrive::OpenStatus() == 0 && CDDrive::OpenCount() == 1 &&
                drive->VendorProduct() + drive->Revision() == kAtapiVendorProduct + kAtapiRevision,
            Format("count %d, open status %02X, open count %d, \"%s\"", drives.Count(),
                   CDDrive::OpenStatus(), CDDrive::OpenCount(),
                   drive ? (drive->VendorProduct() + drive->Revision()).c_str() : ""));
  return drive;
}

void CheckInquiryIntoDataBuffer(CheckLog& log, CDDrive& drive) {
  transfer.fill(kFill);
  const std::int32_t result = Send(drive, {0x12, 0, 0, 0, 36, 0, 0, 0, 0, 0, 0, 0}, kDataIn, 36);
  const std::string text(transfer.begin() + 8, transfer.begin() + 36);
  log.Check("INQUIRY lands in the data buffer, nothing past its length",
            result != 0 && drive.Last().succeeded && (transfer[0] & 0x1F) == 0x05 &&
                text == kAtapiVendorProduct + kAtapiRevision &&
                std::all_of(transfer.begin() + 36, transfer.end(), [](std::uint8_t b) { return b == kFill; }),
            Outcome(drive, result) + ", bytes 8-35 \"" + text + "\"");
}

// A command and how the kernel and the drive end it: good (sense all zero),
// with the drive's sense, or refused by the kernel with `systemError` before
// it reaches the drive (a transport failure, never a success).
struct Exchange {
  std::string name;
  Cdb cdb;
  std::uint8_t direction;
  std::int32_t length;
  std::uint8_t key, asc, ascq;
  unsigned systemError;
};

void CheckExchanges(CheckLog& log, CDDrive& drive, const std::string& who,
                    std::initializer_list<Exchange> exchanges) {
  for (const Exchange& e : exchanges) {
    const std::int32_t result = Send(drive, e.cdb, e.direction, e.length);
    const ScsiResult& last = drive.Last();
    const bool good = e.key == 0 && e.systemError == 0;
    log.Check(who + e.name,
              (result != 0) == good && last.succeeded == good && last.systemError == e.systemError &&
                  last.SenseIs(e.key, e.asc, e.ascq),
              Outcome(drive, result) + Format(", system error %u", last.systemError));
  }
}

const Cdb kTestUnitReady = StandardCommand(kOpTestUnitReady);
const Cdb kVendorDF = {0xDF, 0x11, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0};
const Cdb kWriteBuffer = WriteBufferCommand(0, kChunk, kControlData);

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

// Another process that holds `device` open exclusively, as a burning program
// or a mount would; its id once it holds it, or -1.
pid_t HoldElsewhere(const std::string& device) {
  int ready[2];
  if (pipe(ready) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    if (open(device.c_str(), O_RDONLY | O_NONBLOCK | O_EXCL) < 0 || write(ready[1], "y", 1) != 1) _exit(1);
    pause();
    _exit(0);
  }
  close(ready[1]);  // a child that could not hold it ends the read
  char held = 'n';
  const bool holds = pid > 0 && read(ready[0], &held, 1) == 1;
  close(ready[0]);
  return holds ? pid : -1;
}

// While another process holds the drive the run's claim is refused, naming
// the device; once the other lets go the claim holds, and gives the drive
// back when it goes.
void CheckExclusiveUse(CheckLog& log, CDDrive& drive) {
  const std::string device = SrDevicePath(drive.Letter());
  const pid_t other = HoldElsewhere(device);
  const ExclusiveUse refused = drive.TakeExclusiveUse();
  log.Check("another process holds " + device + " exclusively: the run's claim is refused, naming it",
            other > 0 && refused.refused && !refused.Held() && refused.cause.find(device) != std::string::npos,
            "\"" + refused.cause + "\"");
  if (other > 0) {
    kill(other, SIGKILL);
    waitpid(other, nullptr, 0);
  }
  const bool heldNow = drive.TakeExclusiveUse().Held();
  const int again = open(device.c_str(), O_RDONLY | O_NONBLOCK | O_EXCL);
  log.Check("once the other lets go the claim holds, and ends with the run", heldNow && again >= 0);
  if (again >= 0) close(again);
}

void RunAsRoot(CheckLog& log) {
  CheckAccess(log, true);
  {
    CDDrives drives;
    CDDrive* drive = CheckDiscovery(log, drives, "");
    if (drive != nullptr) {
      CDDrive::SetDataBuffer(transfer.data(), static_cast<std::int32_t>(transfer.size()));
      CheckInquiryIntoDataBuffer(log, *drive);
      // The drive has no disc, and rejects what it does not know: 05 20 00.
      CheckExchanges(log, *drive, "",
                     {{"TEST UNIT READY without a disc", kTestUnitReady, kDataIn, 0, 0x02, 0x3A, 0, 0},
                      {"START STOP UNIT (load)", {0x1B, 0, 0, 0, 0x03, 0, 0, 0, 0, 0, 0, 0}, kDataIn, 0, 0, 0, 0, 0},
                      {"WRITE BUFFER mode 5: rejected", kWriteBuffer, kDataOut, kChunk, 0x05, 0x20, 0, 0},
                      {"READ BUFFER: rejected", ReadBufferCommand(0, kChunk), kDataIn, kChunk, 0x05, 0x20, 0, 0},
                      {"vendor opcode DF 11: rejected", kVendorDF, kDataIn, 128, 0x05, 0x20, 0, 0}});
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
  CheckAccess(log, false);
  CDDrives drives;
  CDDrive* drive = CheckDiscovery(log, drives, "unprivileged: ");
  if (drive == nullptr) return;
  CDDrive::SetDataBuffer(transfer.data(), static_cast<std::int32_t>(transfer.size()));
  // The kernel's command filter refuses the firmware commands; a refusal
  // leaves the route usable.
  CheckExchanges(log, *drive, "unprivileged: ",
                 {{"no disc", kTestUnitReady, kDataIn, 0, 0x02, 0x3A, 0, 0},
                  {"WRITE BUFFER refused with EPERM", kWriteBuffer, kDataOut, kChunk, 0, 0, 0, EPERM},
                  {"vendor opcode DF refused with EPERM", kVendorDF, kDataIn, 128, 0, 0, 0, EPERM},
                  {"after a refusal: no disc", kTestUnitReady, kDataIn, 0, 0x02, 0x3A, 0, 0}});
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
