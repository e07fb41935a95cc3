#pragma once
// Exclusive use of a drive through the locks of the Windows NT family: the
// CD-ROM class driver's exclusive access lock (Windows Vista and later) and,
// before that or where the driver knows none, the volume lock. Both are
// taken on the handle the commands go through, so the run's own commands
// pass while other programs are kept out. The order of the attempts and
// the verdicts are kept apart from the system calls, so that they can be
// tested anywhere.

#include <cstdint>
#include <memory>
#include <string>

#include "device/ExclusiveUse.h"

namespace cdflash {

class IDriveLocks {
 public:
  virtual ~IDriveLocks() = default;
  /// IOCTL_CDROM_EXCLUSIVE_ACCESS, lock: 0, or the system's error code.
  virtual std::uint32_t LockDevice() = 0;
  virtual void UnlockDevice() = 0;
  /// FSCTL_LOCK_VOLUME: 0, or the system's error code.
  virtual std::uint32_t LockVolume() = 0;
  virtual void UnlockVolume() = 0;
};

/// Takes `device` (D:) for this program alone with `locks`: the device lock
/// first when `deviceLockKnown` (the system has it), the volume lock when
/// that is not known or fails for a reason other than another program. The
/// lock that was taken is released with the returned hold, which keeps
/// `locks`.
ExclusiveUse TakeLockedUse(std::unique_ptr<IDriveLocks> locks, bool deviceLockKnown,
                           const std::string& device);

}  // namespace cdflash
