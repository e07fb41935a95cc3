#include "system/PowerState.h"

namespace cdflash {

namespace {

constexpr std::uint8_t kNoSystemBattery = 128;

bool IsExternalSupply(const PowerSupply& s) { return s.type == "Mains" || s.type == "USB"; }

// A battery that powers the machine: not a peripheral's, not an empty slot.
bool IsMachineBattery(const PowerSupply& s) {
  return s.type == "Battery" && s.scope != "Device" && s.present != 0;
}

}  // namespace

PowerState PowerStateFromWindowsStatus(const WindowsPowerStatus& status) {
  PowerState state;
  const bool noBattery = status.batteryFlag != 255 && (status.batteryFlag & kNoSystemBattery) != 0;
  if (status.acLineStatus == 0) {
    state.source = PowerState::Source::Battery;
  } else if (status.acLineStatus == 1 || noBattery) {
    state.source = PowerState::Source::Mains;  // a machine without a battery runs on mains
  }
  if (!noBattery && status.batteryLifePercent <= 100) state.percent = status.batteryLifePercent;
  return state;
}

PowerState PowerStateFromSupplies(const std::vector<PowerSupply>& supplies) {
  bool externalListed = false, externalOnline = false, charging = false, discharging = false;
  int batteries = 0, chargeSum = 0, charged = 0;
  for (const PowerSupply& s : supplies) {
    if (s.scope == "Device") continue;
    if (IsExternalSupply(s)) {
      externalListed = true;
      externalOnline = externalOnline || s.online == 1;
    } else if (IsMachineBattery(s)) {
      ++batteries;
      charging = charging || s.status == "Charging";
      discharging = discharging || s.status == "Discharging";
      if (s.capacity >= 0 && s.capacity <= 100) {
        chargeSum += s.capacity;
        ++charged;
      }
    }
  }
  PowerState state;
  if (externalOnline || charging) {
    state.source = PowerState::Source::Mains;
  } else if (discharging || (externalListed && batteries > 0)) {
    state.source = PowerState::Source::Battery;
  }
  if (charged > 0) state.percent = chargeSum / charged;
  return state;
}

}  // namespace cdflash
