#pragma once
// The machine's power state on Linux: UPower on the system bus, and where
// UPower does not answer, the kernel's power supply class.

#include <string>
#include <vector>

#include "system/PowerState.h"

namespace cdflash {

inline constexpr const char* kPowerSupplyClass = "/sys/class/power_supply";

/// UPower's OnBattery and its display device's charge when UPower answers;
/// else the supplies under `supplyRoot` (a folder laid out like
/// /sys/class/power_supply); Unknown when neither says.
PowerState LinuxPowerState(const std::string& supplyRoot);

/// Each folder under `supplyRoot` as one supply; empty when it cannot be read.
std::vector<PowerSupply> ReadPowerSupplies(const std::string& supplyRoot);

}  // namespace cdflash
