#include "device/ExclusiveUse.h"

#include <cerrno>
#include <cstring>

#include "common/Text.h"
#include "device/WindowsErrors.h"

namespace cdflash {

ExclusiveVerdict JudgeExclusiveOpen(int error, const std::string& device) {
  if (error == EBUSY) return {true, device + " is mounted or in use by another program"};
  return {false, device + " could not be taken for this program alone: " + std::strerror(error)};
}

ExclusiveVerdict JudgeLockError(std::uint32_t error, const std::string& device) {
  using namespace winerror;
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
