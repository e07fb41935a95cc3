#include <dbus/dbus.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <memory>
#include <thread>

#include "system/SystemServices.h"

namespace cdflash {
namespace {

// Asks logind to reboot, as the session's user would from the desktop. The
// request is sent without waiting for an answer.
void RequestLogindReboot() {
  DBusError error;
  dbus_error_init(&error);
  DBusConnection* bus = dbus_bus_get(DBUS_BUS_SYSTEM, &error);
  if (bus == nullptr) {
    dbus_error_free(&error);
    return;
  }
  DBusMessage* call = dbus_message_new_method_call("org.freedesktop.login1", "/org/freedesktop/login1",
                                                   "org.freedesktop.login1.Manager", "Reboot");
  if (call != nullptr) {
    dbus_bool_t interactive = FALSE;
    dbus_message_append_args(call, DBUS_TYPE_BOOLEAN, &interactive, DBUS_TYPE_INVALID);
    dbus_message_set_no_reply(call, TRUE);
    dbus_connection_send(bus, call, nullptr);
    dbus_connection_flush(bus);
    dbus_message_unref(call);
  }
  dbus_connection_unref(bus);
}

class LinuxSystem final : public ISystemServices {
 public:
  void Sleep(unsigned milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }

  std::chrono::milliseconds Uptime() const override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
  }

  void RequestRestart() override { RequestLogindReboot(); }

  std::string ProgramPath() const override {
    std::string path(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= path.size()) return {};
    path.resize(static_cast<std::size_t>(n));
    return path;
  }

  std::string CurrentDirectory() const override {
    std::unique_ptr<char, decltype(&std::free)> cwd(getcwd(nullptr, 0), &std::free);
    return cwd ? std::string(cwd.get()) : std::string();
  }

  bool FileExists(const std::string& path) const override {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
  }
};

}  // namespace

ISystemServices& SystemServices() {
  static LinuxSystem system;
  return system;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool ReplaceFile(const std::string& from, const std::string& to, std::string& error) {
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  error = std::strerror(errno);
  return false;
}

// File names on Linux are UTF-8 or anything else: only ASCII letters change,
// so no byte of a longer character is ever altered.
std::string UpperCaseAnsi(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

}  // namespace cdflash
