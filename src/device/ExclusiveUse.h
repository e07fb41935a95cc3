#pragma once
// The drive to this program alone for a run: while another program (a
// burning program, the desktop's automounter, a media poll) can still reach
// it, commands of theirs may land between the update's. A run takes
// exclusive use before it writes anything and stops when another program
// holds the drive.

#include <cstdint>
#include <memory>
#include <string>

namespace cdflash {

// What a route holds for exclusive use; destroying it gives the drive back.
class IExclusiveHold {
 public:
  virtual ~IExclusiveHold() = default;
};

struct ExclusiveUse {
  // Another program holds the drive: the run must stop before it writes.
  bool refused = false;
  // When refused: the device and why, in words for the user. When nothing
  // was taken for another reason (the route has no such notion, the system
  // could not tell): why, for the run's record. Empty while held.
  std::string cause;
  // Held until this is destroyed or reset; null when nothing was taken.
  std::unique_ptr<IExclusiveHold> hold;

  bool Held() const { return hold != nullptr; }
};

// What an attempt to take a drive for exclusive use came to, judged from
// the system's error code alone.
struct ExclusiveVerdict {
  bool refused = false;
  std::string cause;
};

/// Linux: `error` (errno) of opening `device` (/dev/sr0) with O_EXCL. Only
/// EBUSY means another program holds it (a mounted filesystem, or another
/// exclusive open); any other error means it cannot be told, and the run
/// goes on without exclusive use.
ExclusiveVerdict JudgeExclusiveOpen(int error, const std::string& device);

/// Windows: `error` (GetLastError) of a lock on `device` (D:). Access
/// denied, a sharing or lock violation and a locked drive mean another
/// program holds it; anything else (an empty drive that is not ready, a
/// driver that knows no such lock) means it cannot be told.
ExclusiveVerdict JudgeLockError(std::uint32_t error, const std::string& device);

}  // namespace cdflash
