#include "system/power_linux.h"

#include <dirent.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "system/dbus_linux.h"

namespace cdflash {

namespace {

constexpr const char* kUPower = "org.freedesktop.UPower";
constexpr const char* kUPowerPath = "/org/freedesktop/UPower";
constexpr const char* kDisplayDevicePath = "/org/freedesktop/UPower/devices/DisplayDevice";
constexpr const char* kDeviceInterface = "org.freedesktop.UPower.Device";
// The question comes before a run: a daemon that hangs must not hold it up.
constexpr int kReplyTimeout = 2000;

// One property's value of the basic D-Bus type `type` (a boolean as
// dbus_bool_t, a double as double); false when it cannot be had.
bool GetProperty(DBusConnection& bus, const char* path, const char* interface, const char* name,
                 int type, void* value) {
  dbus::Message call(
      dbus_message_new_method_call(kUPower, path, "org.freedesktop.DBus.Properties", "Get"));
  if (!call || !dbus_message_append_args(call.get(), DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING,
                                         &name, DBUS_TYPE_INVALID)) {
    return false;
  }
  std::string problem;
  const dbus::Message reply = dbus::CallAndWait(bus, call, kReplyTimeout, problem);
  DBusMessageIter top;
  DBusMessageIter variant;
  if (!reply || !dbus_message_iter_init(reply.get(), &top) ||
      dbus_message_iter_get_arg_type(&top) != DBUS_TYPE_VARIANT) {
    return false;
  }
  dbus_message_iter_recurse(&top, &variant);
  if (dbus_message_iter_get_arg_type(&variant) != type) return false;
  dbus_message_iter_get_basic(&variant, value);
  return true;
}

std::optional<PowerState> UPowerState() {
  std::string problem;
  const dbus::Connection bus = dbus::SystemBus(problem);
  if (!bus) return std::nullopt;
  dbus_bool_t onBattery = FALSE;
  if (!GetProperty(*bus, kUPowerPath, kUPower, "OnBattery", DBUS_TYPE_BOOLEAN, &onBattery)) {
    return std::nullopt;
  }
  PowerState state;
  state.source = onBattery ? PowerState::Source::Battery : PowerState::Source::Mains;
  // The display device combines the machine's batteries; without one its
  // charge means nothing.
  dbus_bool_t present = FALSE;
  double percentage = -1;
  if (GetProperty(*bus, kDisplayDevicePath, kDeviceInterface, "IsPresent", DBUS_TYPE_BOOLEAN, &present) &&
      present &&
      GetProperty(*bus, kDisplayDevicePath, kDeviceInterface, "Percentage", DBUS_TYPE_DOUBLE, &percentage) &&
      percentage >= 0 && percentage <= 100) {
    state.percent = static_cast<int>(std::lround(percentage));
  }
  return state;
}

// The first line of a sysfs attribute, without its line end; empty when it
// cannot be read.
std::string ReadAttribute(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(path.c_str(), "r"), &std::fclose);
  char line[64] = {};
  if (!in || std::fgets(line, sizeof(line), in.get()) == nullptr) return {};
  std::string text(line);
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

int ReadNumber(const std::string& path) {
  const std::string text = ReadAttribute(path);
  if (text.empty()) return -1;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  return *end == '\0' && value >= 0 && value <= 1000 ? static_cast<int>(value) : -1;
}

}  // namespace

std::vector<PowerSupply> ReadPowerSupplies(const std::string& supplyRoot) {
  std::vector<PowerSupply> supplies;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(supplyRoot.c_str()), &closedir);
  if (!dir) return supplies;
  while (const dirent* entry = readdir(dir.get())) {
    if (entry->d_name[0] == '.') continue;
    const std::string folder = supplyRoot + "/" + entry->d_name + "/";
    PowerSupply supply;
    supply.type = ReadAttribute(folder + "type");
    if (supply.type.empty()) continue;  // not a supply
    supply.scope = ReadAttribute(folder + "scope");
    supply.online = ReadNumber(folder + "online");
    supply.present = ReadNumber(folder + "present");
    supply.status = ReadAttribute(folder + "status");
    supply.capacity = ReadNumber(folder + "capacity");
    supplies.push_back(std::move(supply));
  }
  return supplies;
}

PowerState LinuxPowerState(const std::string& supplyRoot) {
  if (const std::optional<PowerState> upower = UPowerState()) return *upower;
  return PowerStateFromSupplies(ReadPowerSupplies(supplyRoot));
}

}  // namespace cdflash
