#pragma once
// Raw commands through CDDrive's thin face, as the flash engine sends them.

#include <cstdint>

#include "device/Cddrive.h"
#include "device/ScsiCommands.h"

namespace cdflash::test {

inline constexpr std::uint8_t kDataIn = 1;   // the drive sends data to the host
inline constexpr std::uint8_t kDataOut = 0;  // the host sends data to the drive

inline std::int32_t Send(CDDrive& drive, const CommandBytes& c, std::uint8_t direction, std::int32_t length) {
  return drive.ExecCommand(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[9], c[10], c[11],
                           direction, length).value;
}

inline std::int32_t TestUnitReady(CDDrive& drive) {
  return Send(drive, StandardCommand(kOpTestUnitReady), kDataIn, 0);
}

}  // namespace cdflash::test
