#include "device/ExclusiveUse.h"

#include <cerrno>
#include <cstring>

#include "common/Text.h"

namespace cdflash {

namespace {

// Windows system error codes (winerror.h), here so that the decision can be
// tested on every system.
constexpr std::uint32_t kAccessDenied = 5;
constexpr std::uint32_t kNotReady = 21;
constexpr std::uint32_t kSharingViolation = 32;
constexpr std::uint32_t kLockViolation = 33;
constexpr std::uint32_t kDriveLocked = 108;

}  // namespace

ExclusiveVerdict JudgeExclusiveOpen(int error, const std::string& device) {
  if (error == EBUSY) return {true, device + " is mounted or in use by another program"};
  return {false, device + " could not be taken for this program alone: " + std::strerror(error)};
}

ExclusiveVerdict JudgeLockError(std::uint32_t error, const std::string& device) {
  switch (error) {
    case kAccessDenied:
      return {true, device + " is in use by another program (access denied)"};
    case kSharingViolation:
      return {true, device + " is open in another program (sharing violation)"};
    case kLockViolation:
    case kDriveLocked:
      return {true, device + " is locked by another program"};
    case kNotReady:
      return {false, device + " holds no disc, so its volume cannot be locked"};
    default:
      return {false, Format("%s could not be locked for this program alone (error %u)", device.c_str(),
                            static_cast<unsigned>(error))};
  }
}

}  // namespace cdflash
