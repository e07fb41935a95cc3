// What the machine runs on, from what each system reports: Windows'
// SYSTEM_POWER_STATUS fields, and Linux's power supply class when UPower
// does not answer (tests/power reads real folders and a mock UPower).

#include <gtest/gtest.h>

#include <vector>

#include "system/PowerState.h"

namespace cdflash {
namespace {

using Source = PowerState::Source;

struct WindowsRow {
  const char* what;
  WindowsPowerStatus status;
  PowerState expected;
};

TEST(PowerState, WindowsStatusFieldsGiveSourceAndCharge) {
  const WindowsRow rows[] = {
      {"laptop unplugged", {0, 0, 80}, {Source::Battery, 80}},
      {"laptop unplugged, nearly empty", {0, 4, 5}, {Source::Battery, 5}},
      {"laptop plugged in, charging", {1, 8, 40}, {Source::Mains, 40}},
      {"desktop: no system battery", {1, 128, 255}, {Source::Mains, -1}},
      {"line status unknown, no battery", {255, 128, 255}, {Source::Mains, -1}},
      {"line status unknown, battery", {255, 1, 70}, {Source::Unknown, 70}},
      {"nothing known", {255, 255, 255}, {Source::Unknown, -1}},
      {"on battery, charge unknown", {0, 255, 255}, {Source::Battery, -1}},
      {"charge out of range", {0, 0, 101}, {Source::Battery, -1}},
      {"a line status Windows does not define", {2, 0, 50}, {Source::Unknown, 50}},
  };
  for (const WindowsRow& row : rows) {
    const PowerState state = PowerStateFromWindowsStatus(row.status);
    EXPECT_EQ(state.source, row.expected.source) << row.what;
    EXPECT_EQ(state.percent, row.expected.percent) << row.what;
  }
}

PowerSupply Mains(int online) { return {"Mains", "", online, -1, "", -1}; }
PowerSupply Usb(int online) { return {"USB", "", online, -1, "", -1}; }
PowerSupply Battery(const char* status, int capacity, int present = 1) {
  return {"Battery", "", -1, present, status, capacity};
}
PowerSupply MouseBattery(const char* status, int capacity) {
  return {"Battery", "Device", -1, 1, status, capacity};
}

struct SupplyRow {
  const char* what;
  std::vector<PowerSupply> supplies;
  PowerState expected;
};

TEST(PowerState, LinuxSuppliesGiveSourceAndCharge) {
  const SupplyRow rows[] = {
      {"no supplies at all (a desktop)", {}, {Source::Unknown, -1}},
      {"adapter online", {Mains(1), Battery("Charging", 55)}, {Source::Mains, 55}},
      {"adapter offline", {Mains(0), Battery("Discharging", 80)}, {Source::Battery, 80}},
      {"adapter offline, battery says nothing", {Mains(0), Battery("Unknown", 30)}, {Source::Battery, 30}},
      {"USB-C supply online", {Usb(1), Mains(0), Battery("Not charging", 90)}, {Source::Mains, 90}},
      {"no adapter listed, discharging", {Battery("Discharging", 20)}, {Source::Battery, 20}},
      {"no adapter listed, charging", {Battery("Charging", 20)}, {Source::Mains, 20}},
      {"no adapter listed, full", {Battery("Full", 100)}, {Source::Unknown, 100}},
      {"two batteries: the mean", {Mains(0), Battery("Discharging", 10), Battery("Discharging", 50)},
       {Source::Battery, 30}},
      {"a mouse's battery is not the machine's", {MouseBattery("Discharging", 5)}, {Source::Unknown, -1}},
      {"mouse battery beside the machine's", {Mains(0), Battery("Discharging", 60), MouseBattery("Discharging", 5)},
       {Source::Battery, 60}},
      {"empty battery slot", {Mains(0), Battery("Unknown", -1, 0)}, {Source::Unknown, -1}},
      {"capacity unreadable", {Mains(0), Battery("Discharging", -1)}, {Source::Battery, -1}},
      {"adapter only, offline", {Mains(0)}, {Source::Unknown, -1}},
  };
  for (const SupplyRow& row : rows) {
    const PowerState state = PowerStateFromSupplies(row.supplies);
    EXPECT_EQ(state.source, row.expected.source) << row.what;
    EXPECT_EQ(state.percent, row.expected.percent) << row.what;
  }
}

}  // namespace
}  // namespace cdflash
