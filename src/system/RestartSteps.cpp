#include "system/RestartSteps.h"

namespace cdflash {

std::uint32_t RestartFlags(std::uint32_t platformId, std::uint32_t majorVersion) {
  constexpr std::uint32_t kReboot = 0x02, kForce = 0x04, kForceIfHung = 0x10;  // EWX_*
  constexpr std::uint32_t kPlatformNt = 2;                                  // VER_PLATFORM_WIN32_NT
  return kReboot | (platformId == kPlatformNt && majorVersion >= 5 ? kForceIfHung : kForce);
}

RestartResult RestartWithPrivilege(IRestartSteps& steps) {
  RestartResult result;
  std::uint32_t error = 0;
  if (steps.NeedsPrivilege() && !steps.EnableShutdownPrivilege(error)) {
    result.problem = "the shutdown privilege was refused (error " + std::to_string(error) + ")";
    return result;
  }
  if (!steps.RequestReboot(error)) {
    result.problem = "the system refused to restart (error " + std::to_string(error) + ")";
    return result;
  }
  result.requested = true;
  return result;
}

}  // namespace cdflash
