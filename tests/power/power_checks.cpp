// The Linux power state against a mock UPower (python3-dbusmock's template)
// on a private bus: UPower's word is taken when it answers, whatever the
// kernel's supply folder says; without UPower the supply folder decides;
// with neither the state is unknown.

#include <dbus/dbus.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "support/DbusMock.h"
#include "support/TempFolder.h"
#include "system/SystemServices.h"
#include "system/power_linux.h"

namespace cdflash {
namespace {

using Source = PowerState::Source;

constexpr const char* kDisplayDevice = "/org/freedesktop/UPower/devices/DisplayDevice";
constexpr const char* kDeviceInterface = "org.freedesktop.UPower.Device";

// What UPower says in a case: on battery or not, and the display device's
// charge where it has a battery.
struct UPowerSays {
  bool onBattery = false;
  std::optional<double> percentage;
};

// A supply folder as the kernel lays it out: supply name -> attribute -> value.
using Supplies = std::map<std::string, std::map<std::string, std::string>>;

const Supplies kLaptopOnBatteryAt10 = {
    {"AC", {{"type", "Mains"}, {"online", "0"}}},
    {"BAT0", {{"type", "Battery"}, {"present", "1"}, {"status", "Discharging"}, {"capacity", "10"}}},
};
const Supplies kLaptopPluggedInAt95 = {
    {"ADP1", {{"type", "Mains"}, {"online", "1"}}},
    {"BAT1", {{"type", "Battery"}, {"present", "1"}, {"status", "Charging"}, {"capacity", "95"}}},
};

void MakeSupplies(const test::TempFolder& root, const Supplies& supplies) {
  for (const auto& [name, attributes] : supplies) {
    std::filesystem::create_directories(root / name);
    for (const auto& [attribute, value] : attributes) std::ofstream(root / (name + "/" + attribute)) << value << "\n";
  }
}

struct Row {
  const char* what;
  std::optional<UPowerSays> upower;  // none: no UPower on the bus
  Supplies supplies;
  PowerState expected;
};

TEST(UPower, PowerStateFromUPowerElseTheSupplyFolder) {
  ASSERT_NE(std::getenv("DBUS_SYSTEM_BUS_ADDRESS"), nullptr) << "run through ctest";
  const Row rows[] = {
      {"mains", UPowerSays{false, std::nullopt}, kLaptopOnBatteryAt10, {Source::Mains, -1}},
      {"mains, battery charging at 60 %", UPowerSays{false, 60.0}, {}, {Source::Mains, 60}},
      {"battery at 80 %", UPowerSays{true, 80.0}, kLaptopPluggedInAt95, {Source::Battery, 80}},
      {"battery at 24.6 % rounds to 25", UPowerSays{true, 24.6}, {}, {Source::Battery, 25}},
      {"no UPower: the supply folder says battery", std::nullopt, kLaptopOnBatteryAt10, {Source::Battery, 10}},
      {"no UPower: the supply folder says mains", std::nullopt, kLaptopPluggedInAt95, {Source::Mains, 95}},
      {"no UPower, no supplies: unknown", std::nullopt, {}, {Source::Unknown, -1}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    test::TempFolder supplyRoot("cdflash-power");
    MakeSupplies(supplyRoot, row.supplies);
    std::unique_ptr<test::DbusMock> upower;
    if (row.upower) {
      upower = std::make_unique<test::DbusMock>("upower", "org.freedesktop.UPower",
                                                row.upower->onBattery ? R"({"OnBattery": true})" : "");
      ASSERT_TRUE(upower->Ready()) << "the mock UPower did not come up";
      if (row.upower->percentage) {
        const dbus_bool_t present = TRUE;
        ASSERT_TRUE(upower->SetProperty(kDisplayDevice, kDeviceInterface, "IsPresent", DBUS_TYPE_BOOLEAN, &present));
        ASSERT_TRUE(upower->SetProperty(kDisplayDevice, kDeviceInterface, "Percentage", DBUS_TYPE_DOUBLE,
                                        &*row.upower->percentage));
      }
    }
    const PowerState state = LinuxPowerState(supplyRoot.Path());
    EXPECT_EQ(state.source, row.expected.source);
    EXPECT_EQ(state.percent, row.expected.percent);
    // The system services ask the same way (their supply folder is the machine's).
    if (row.upower) {
      EXPECT_EQ(SystemServices().CurrentPowerState().source, row.expected.source);
    }
  }
}

}  // namespace
}  // namespace cdflash
