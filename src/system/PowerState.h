#pragma once
// What the machine runs on, as far as the system can tell. A battery that
// dies while the drive programs its flash leaves a drive that cannot start,
// so a run asks before it writes anything.

#include <cstdint>
#include <string>
#include <vector>

namespace cdflash {

struct PowerState {
  enum class Source { Unknown, Mains, Battery };
  Source source = Source::Unknown;
  int percent = -1;  // the battery's charge, 0..100; -1 when unknown
  bool operator==(const PowerState&) const = default;
};

// The fields of Windows' SYSTEM_POWER_STATUS that decide, as
// GetSystemPowerStatus fills them (255: unknown).
struct WindowsPowerStatus {
  std::uint8_t acLineStatus = 255;        // 0 offline, 1 online
  std::uint8_t batteryFlag = 255;         // 128: no system battery
  std::uint8_t batteryLifePercent = 255;  // 0..100
};

PowerState PowerStateFromWindowsStatus(const WindowsPowerStatus& status);

// One supply of the Linux kernel's power supply class
// (/sys/class/power_supply/NAME), with the attributes that decide; a missing
// attribute stays empty or -1.
struct PowerSupply {
  std::string type;    // "Mains", "USB", "Battery", "UPS", ...
  std::string scope;   // "Device" for a peripheral's own battery (a mouse)
  int online = -1;     // Mains, USB: 1 while it supplies the machine
  int present = -1;    // Battery: 0 when the slot is empty
  std::string status;  // Battery: "Charging", "Discharging", "Full", "Not charging", ...
  int capacity = -1;   // Battery: 0..100
};

// The machine's power state from its supplies: on mains while an external
// supply is online or a battery charges; on battery while a battery
// discharges, or no external supply is online though one is listed. The
// charge is the mean of the machine's batteries (their sizes are unknown).
PowerState PowerStateFromSupplies(const std::vector<PowerSupply>& supplies);

}  // namespace cdflash
