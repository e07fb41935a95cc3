#include "system/RestartSteps.h"

namespace cdflash {

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
