#include "device/routes/passthrough_win.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "common/Text.h"
#include "device/CommandVerdict.h"
#include "device/DeviceMessages.h"
#include "device/DriveLocks.h"

namespace cdflash {

namespace {

constexpr DWORD kDesiredAccess = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kShareMode = FILE_SHARE_READ;

// What an open device holds: its handle and the record every command reuses.
struct PassThroughDevice {
  HANDLE handle = INVALID_HANDLE_VALUE;
  PassThroughRecord record{};
};

PassThroughDevice* DeviceOf(RouteDevice device) {
  return device == kNoDevice ? nullptr : reinterpret_cast<PassThroughDevice*>(device);
}

// The CD-ROM class driver's exclusive access request (ntddcdrm.h), which
// MinGW-w64's headers do not carry.
constexpr DWORD kIoctlCdromExclusiveAccess =
    CTL_CODE(FILE_DEVICE_CD_ROM, 0x0017, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
constexpr ULONG kExclusiveAccessLockDevice = 1;
constexpr ULONG kExclusiveAccessUnlockDevice = 2;
constexpr std::size_t kExclusiveCallerLength = 64;
struct CdromExclusiveAccess {
  ULONG requestType;
  ULONG flags;
};
struct CdromExclusiveLock {
  CdromExclusiveAccess access;
  UCHAR callerName[kExclusiveCallerLength];
};
// The driver refuses a name with characters other than letters, digits and
// a little punctuation.
constexpr char kCallerName[] = "cdflash";

// The locks on a duplicate of the route's handle: the same open file, which
// the locks belong to, kept open as long as the hold even when the drive
// object closes its own handle first.
class HandleLocks final : public IDriveLocks {
 public:
  explicit HandleLocks(HANDLE handle) : handle_(handle) {}
  ~HandleLocks() override { ::CloseHandle(handle_); }

  std::uint32_t LockDevice() override {
    CdromExclusiveLock lock{};
    lock.access.requestType = kExclusiveAccessLockDevice;
    std::memcpy(lock.callerName, kCallerName, sizeof(kCallerName));
    return Control(kIoctlCdromExclusiveAccess, &lock, sizeof(lock));
  }
  void UnlockDevice() override {
    CdromExclusiveAccess unlock{kExclusiveAccessUnlockDevice, 0};
    Control(kIoctlCdromExclusiveAccess, &unlock, sizeof(unlock));
  }
  std::uint32_t LockVolume() override { return Control(FSCTL_LOCK_VOLUME, nullptr, 0); }
  void UnlockVolume() override { Control(FSCTL_UNLOCK_VOLUME, nullptr, 0); }

 private:
  std::uint32_t Control(DWORD code, void* input, DWORD length) {
    DWORD returned = 0;
    return ::DeviceIoControl(handle_, code, input, length, nullptr, 0, &returned, nullptr) ? 0 : ::GetLastError();
  }
  HANDLE handle_;
};

// The drive letter claimed by name for as long as a run holds the drive.
// Every flasher on the system asks for the same name, so a second one is
// refused even where the system's locks grant everything: without a disc
// before Windows Vista (the volume lock needs one), and under Wine, which
// grants the locks to every caller. The name goes with the last handle, so
// a flasher that ended abnormally leaves no claim behind.
class LetterClaim final : public IExclusiveHold {
 public:
  LetterClaim(HANDLE mutex, std::unique_ptr<IExclusiveHold> locks) : mutex_(mutex), locks_(std::move(locks)) {}
  ~LetterClaim() override {
    locks_.reset();
    ::CloseHandle(mutex_);
  }

 private:
  HANDLE mutex_;
  std::unique_ptr<IExclusiveHold> locks_;
};

// The named object of `letter`'s claim, or null when the system made none;
// `taken` tells whether another flasher already holds it.
HANDLE CreateLetterClaim(char letter, bool& taken) {
  const std::string name = Format("cdflash-drive-%c", letter);
  HANDLE mutex = ::CreateMutexA(nullptr, FALSE, ("Global\\" + name).c_str());
  // Systems without session namespaces refuse the prefix.
  if (mutex == nullptr) mutex = ::CreateMutexA(nullptr, FALSE, name.c_str());
  taken = mutex != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS;
  return mutex;
}

// The exclusive access lock came with Windows Vista (NT 6.0).
bool SystemHasDeviceLock() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(version);
  return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 6;
}

}  // namespace

std::string PassThroughDevicePath(char letter) {
  std::string path = "\\\\.\\?:";
  path[4] = letter;
  return path;
}

PassThroughRecord BuildPassThroughRecord(const DriveAddress& address, const RouteCommand& command) {
  PassThroughRecord record;
  std::memset(&record, 0, sizeof(record));
  SCSI_PASS_THROUGH_DIRECT& r = record.request;
  r.Length = sizeof(SCSI_PASS_THROUGH_DIRECT);
  r.PathId = address.hostAdapter;
  r.TargetId = address.target;
  r.Lun = address.lun;
  r.CdbLength = kCdbLength;
  r.SenseInfoLength = kSenseRequestLength;
  r.DataIn = command.dataIn ? SCSI_IOCTL_DATA_IN : SCSI_IOCTL_DATA_OUT;
  r.DataTransferLength = static_cast<ULONG>(command.length);
  r.TimeOutValue = command.timeoutSeconds;
  r.DataBuffer = command.buffer;
  r.SenseInfoOffset = offsetof(PassThroughRecord, sense);
  std::memcpy(r.Cdb, command.cdb.data(), kCdbLength);
  return record;
}

RouteDevice PassThroughRoute::Open(const DriveAddress& address) {
  const std::string path = PassThroughDevicePath(address.letter);
  const HANDLE handle =
      ::CreateFileA(path.c_str(), kDesiredAccess, kShareMode, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    ShowDeviceMessage(Format("Error opening: %d, Drive: %s", static_cast<int>(error), path.c_str()));
    return kNoDevice;
  }
  auto* device = new PassThroughDevice;
  device->handle = handle;
  return reinterpret_cast<RouteDevice>(device);
}

RouteOutcome PassThroughRoute::Execute(RouteDevice token, const DriveAddress& address,
                                       const RouteCommand& command) {
  RouteOutcome outcome;
  PassThroughDevice* device = DeviceOf(token);
  if (device == nullptr) {
    outcome.systemError = ERROR_INVALID_HANDLE;
    return outcome;
  }
  PassThroughRecord& record = device->record;
  record = BuildPassThroughRecord(address, command);
  DWORD returned = 0;
  const BOOL ok = ::DeviceIoControl(device->handle, IOCTL_SCSI_PASS_THROUGH_DIRECT, &record,
                                    sizeof(record), &record, sizeof(record), &returned, nullptr);
  return JudgePassThroughRecord(record, ok != FALSE, ::GetLastError(), command);
}

RouteOutcome JudgePassThroughRecord(const PassThroughRecord& record, bool ioctlSucceeded,
                                    std::uint32_t error, const RouteCommand& command) {
  RouteOutcome outcome;
  outcome.delivered = ioctlSucceeded;
  outcome.completionStatus = record.request.ScsiStatus;
  // Only the sense bytes the driver says it returned are the drive's.
  const std::size_t senseLength =
      std::min<std::size_t>(record.request.SenseInfoLength, kSenseAreaLength);
  std::memcpy(outcome.sense.data(), record.sense, senseLength);
  // On return DataTransferLength holds the bytes that moved.
  const auto requested = static_cast<ULONG>(std::max(command.length, 0));
  if (record.request.DataTransferLength < requested) {
    outcome.residual = static_cast<std::int32_t>(requested - record.request.DataTransferLength);
  }
  outcome.succeeded = outcome.delivered &&
                      CompletedCleanly(outcome.completionStatus, ReadSense(outcome.sense),
                                       command, outcome.residual);
  outcome.result = outcome.succeeded ? 1 : 0;
  // A call that succeeded leaves the last error as it was: a drive's refusal
  // (CHECK CONDITION in the record) carries no system error.
  if (!outcome.delivered) outcome.systemError = error;
  // The drive was removed from the system since it was opened.
  outcome.deviceGone = !ioctlSucceeded && (error == ERROR_DEV_NOT_EXIST || error == ERROR_DEVICE_NOT_CONNECTED);
  return outcome;
}

void PassThroughRoute::CloseDevice(RouteDevice token) {
  PassThroughDevice* device = DeviceOf(token);
  if (device == nullptr) return;
  ::CloseHandle(device->handle);
  delete device;
}

ExclusiveUse PassThroughRoute::ClaimExclusive(RouteDevice token, const DriveAddress& address) {
  PassThroughDevice* device = DeviceOf(token);
  if (device == nullptr) return {};
  const std::string name = std::string(1, address.letter) + ":";
  HANDLE duplicate = nullptr;
  if (!::DuplicateHandle(::GetCurrentProcess(), device->handle, ::GetCurrentProcess(), &duplicate, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
    return {false, Format("%s could not be locked (error %u)", name.c_str(), static_cast<unsigned>(::GetLastError())),
            nullptr};
  }
  bool taken = false;
  HANDLE claim = CreateLetterClaim(static_cast<char>(std::toupper(static_cast<unsigned char>(address.letter))), taken);
  if (taken) {
    ::CloseHandle(claim);
    ::CloseHandle(duplicate);
    return {true, name + " is being flashed by another flasher", nullptr};
  }
  ExclusiveUse use = TakeLockedUse(std::make_unique<HandleLocks>(duplicate), SystemHasDeviceLock(), name);
  if (claim == nullptr) return use;
  if (use.refused) {
    ::CloseHandle(claim);
    return use;
  }
  use.hold = std::make_unique<LetterClaim>(claim, std::move(use.hold));
  return use;
}

}  // namespace cdflash
