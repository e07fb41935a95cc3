#include "device/routes/sgio_linux.h"

#include <fcntl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "common/Text.h"
#include "device/CommandVerdict.h"
#include "device/DeviceMessages.h"
#include "device/routes/SrNames.h"

namespace cdflash {

namespace {

// Host and driver codes of sg_io_hdr that the kernel's headers do not export.
constexpr unsigned kHostTimeOut = 0x03;      // DID_TIME_OUT
constexpr unsigned kDriverMask = 0x0F;       // the high nibble holds retry suggestions
constexpr unsigned kDriverSense = 0x08;      // DRIVER_SENSE: sense data is available
constexpr unsigned kDriverTimeout = 0x06;    // DRIVER_TIMEOUT

// The exclusive open: the kernel keeps others' exclusive opens and mounts
// away while it lasts.
class ExclusiveOpen final : public IExclusiveHold {
 public:
  explicit ExclusiveOpen(int fd) : fd_(fd) {}
  ~ExclusiveOpen() override { ::close(fd_); }

 private:
  int fd_;
};

}  // namespace

RouteDevice SgIoRoute::Open(const DriveAddress& address) {
  std::string path = SrDevicePath(address.letter);
  int fd = -1;
  int error = ENODEV;
  if (!path.empty()) {
    fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    error = errno;
  } else {
    path = std::string("/dev/sr") + address.letter;
  }
  if (fd < 0) {
    ShowDeviceMessage(Format("Error opening: %d, Drive: %s", error, path.c_str()));
    return kNoDevice;
  }
  return fd;
}

RouteOutcome SgIoRoute::Execute(RouteDevice device, const DriveAddress&,
                                const RouteCommand& command) {
  RouteOutcome outcome;
  std::array<std::uint8_t, kCdbLength> cdb = command.cdb;

  sg_io_hdr_t header{};
  header.interface_id = 'S';
  header.dxfer_direction = command.length == 0 ? SG_DXFER_NONE
                           : command.dataIn    ? SG_DXFER_FROM_DEV
                                               : SG_DXFER_TO_DEV;
  header.cmd_len = kCdbLength;
  header.mx_sb_len = kSenseRequestLength;
  header.dxfer_len = static_cast<unsigned>(command.length);
  header.dxferp = command.buffer;
  header.cmdp = cdb.data();
  header.sbp = outcome.sense.data();
  header.timeout = static_cast<unsigned>(command.timeoutSeconds) * 1000U;

  if (::ioctl(static_cast<int>(device), SG_IO, &header) != 0) {
    outcome.systemError = static_cast<std::uint32_t>(errno);
    // The kernel removed the device (unplugged, or its driver let go).
    outcome.deviceGone = errno == ENODEV || errno == ENXIO;
    return outcome;
  }
  outcome.completionStatus = header.status;
  outcome.elapsedMs = header.duration;  // milliseconds, as the kernel counted them
  const unsigned driver = header.driver_status & kDriverMask;
  if (header.host_status != 0 || (driver != 0 && driver != kDriverSense)) {
    // The command did not complete at the device: whatever the sense area
    // holds is no answer of the drive.
    const bool timedOut = header.host_status == kHostTimeOut || driver == kDriverTimeout;
    outcome.systemError = timedOut ? ETIMEDOUT : EIO;
    return outcome;
  }
  outcome.delivered = true;
  outcome.residual = header.resid;
  // Sense bytes past what the kernel wrote are no answer of the drive.
  for (std::size_t i = header.sb_len_wr; i < outcome.sense.size(); ++i) outcome.sense[i] = 0;
  outcome.succeeded = CompletedCleanly(header.status, ReadSense(outcome.sense), command,
                                       outcome.residual);
  outcome.result = outcome.succeeded ? 1 : 0;
  return outcome;  // a drive's refusal is told by its status and sense, not by errno
}

void SgIoRoute::CloseDevice(RouteDevice device) {
  if (device != kNoDevice) ::close(static_cast<int>(device));
}

ExclusiveUse SgIoRoute::ClaimExclusive(RouteDevice, const DriveAddress& address) {
  const std::string path = SrDevicePath(address.letter);
  if (path.empty()) return {false, std::string("/dev/sr") + address.letter + " is not known", nullptr};
  // O_EXCL on a block device keeps out mounts and every other O_EXCL opener
  // while the run holds it. It must be opened for writing as well: sr
  // blocks the kernel's own media polling (TEST UNIT READY, GET EVENT
  // STATUS NOTIFICATION, every 2 s on a desktop) only while a writer holds
  // the drive exclusively, so a read-only claim would let those commands in
  // between the run's. O_NONBLOCK opens a drive without a disc.
  const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_EXCL | O_CLOEXEC);
  if (fd < 0) {
    const ExclusiveVerdict verdict = JudgeExclusiveOpen(errno, path);
    return {verdict.refused, verdict.cause, nullptr};
  }
  return {false, {}, std::make_unique<ExclusiveOpen>(fd)};
}

}  // namespace cdflash
