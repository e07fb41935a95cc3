#pragma once
// The steps of a Windows restart, apart from the calls that carry them out:
// the NT family needs the shutdown privilege enabled in the process token
// before it takes the request; Windows 9x needs none.

#include <cstdint>
#include <string>

#include "system/SystemServices.h"

namespace cdflash {

class IRestartSteps {
 public:
  virtual ~IRestartSteps() = default;
  virtual bool NeedsPrivilege() = 0;
  /// False with the system's error code when the privilege cannot be had.
  virtual bool EnableShutdownPrivilege(std::uint32_t& error) = 0;
  /// Asks for the restart; false with the system's error code when refused.
  virtual bool RequestReboot(std::uint32_t& error) = 0;
};

// The ExitWindowsEx flags of the restart. From Windows 2000 (NT 5) on,
// programs are asked to close and may ask the user to save; only programs
// that hang are closed by force (EWX_FORCEIFHUNG). Earlier systems know no
// such flag: the restart closes them by force (EWX_FORCE).
std::uint32_t RestartFlags(std::uint32_t platformId, std::uint32_t majorVersion);

// Privilege first (where needed), then the request; what went wrong, for the user.
RestartResult RestartWithPrivilege(IRestartSteps& steps);

}  // namespace cdflash
