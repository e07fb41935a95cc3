#pragma once
// The Windows NT route: the CD-ROM device opened through its drive letter
// ("\\.\X:") and one IOCTL_SCSI_PASS_THROUGH_DIRECT per command, with the
// sense data returned in the same record.

#include <windows.h>
// windows.h first: the SCSI header needs its types.
#include <ntddscsi.h>

#include <cstddef>
#include <string>

#include "device/Route.h"

namespace cdflash {

// The record handed to the driver as input and output: the SDK's
// SCSI_PASS_THROUGH_DIRECT, a ULONG filler and the sense area. A 32-bit
// program's record is 80 bytes with the sense at 48; a 64-bit program's
// header holds a 64-bit DataBuffer at its natural place.
struct PassThroughRecord {
  SCSI_PASS_THROUGH_DIRECT request;
  ULONG filler;
  UCHAR sense[kSenseAreaLength];
};
#if defined(_WIN64)
static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == 56, "a 64-bit program's pass-through header");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataTransferLength) == 12);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, TimeOutValue) == 16);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataBuffer) == 24);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, SenseInfoOffset) == 32);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, Cdb) == 36);
static_assert(offsetof(PassThroughRecord, sense) == 60);
static_assert(sizeof(PassThroughRecord) == 96);
#else
static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == 44, "a 32-bit program's pass-through header");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataTransferLength) == 12);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, TimeOutValue) == 16);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataBuffer) == 20);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, SenseInfoOffset) == 24);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, Cdb) == 28);
static_assert(offsetof(PassThroughRecord, sense) == 48);
static_assert(sizeof(PassThroughRecord) == 80);
#endif

/// The record for one command: cleared, then filled for `address` (its host
/// adapter, target and LUN) and `command` (packet, direction, buffer, length
/// and timeout in seconds).
PassThroughRecord BuildPassThroughRecord(const DriveAddress& address, const RouteCommand& command);

/// Judges a finished record: `ioctlSucceeded` and `error` are what
/// DeviceIoControl and GetLastError gave back; status, the sense bytes the
/// driver returned and the bytes moved decide (see CompletedCleanly). The
/// error becomes the system error only when the call failed.
RouteOutcome JudgePassThroughRecord(const PassThroughRecord& record, bool ioctlSucceeded,
                                    std::uint32_t error, const RouteCommand& command);

/// "\\.\X:" for the drive letter X.
std::string PassThroughDevicePath(char letter);

class PassThroughRoute final : public IRoute {
 public:
  std::uint8_t Initialise() override { return 0; }
  RouteDevice Open(const DriveAddress& address) override;
  RouteOutcome Execute(RouteDevice device, const DriveAddress& address,
                       const RouteCommand& command) override;
  void CloseDevice(RouteDevice device) override;
  /// The CD-ROM exclusive access lock (Windows Vista and later), else the
  /// volume lock, on the handle the commands go through (see DriveLocks.h).
  ExclusiveUse ClaimExclusive(RouteDevice device, const DriveAddress& address) override;
};

}  // namespace cdflash
