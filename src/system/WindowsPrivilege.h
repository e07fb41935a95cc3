#pragma once
// The shutdown privilege of this process (Windows NT family).

#include <cstdint>

namespace cdflash {

// Enables SeShutdownPrivilege in the process token. advapi32 is loaded at
// run time, so that systems without it still start. False with the system's
// error code when the privilege cannot be enabled.
bool EnableShutdownPrivilege(std::uint32_t& error);

}  // namespace cdflash
