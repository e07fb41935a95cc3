#pragma once
// A python3-dbusmock template running on the bus that stands in for the
// system bus (DBUS_SYSTEM_BUS_ADDRESS, see private-bus.sh) from construction
// to destruction, so that each case of a table can have a service of its
// own, or none. Linux only.

#include <dbus/dbus.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace cdflash::test {

class DbusMock {
 public:
  // `parameters`: the template's JSON parameters, or empty; `callLog`: a
  // file the mock writes each call it receives to, or empty.
  DbusMock(const std::string& templateName, std::string busName, const std::string& parameters = {},
           const std::string& callLog = {})
      : busName_(std::move(busName)) {
    std::vector<std::string> words = {"/usr/bin/python3", "-m", "dbusmock", "--template", templateName};
    if (!parameters.empty()) words.insert(words.end(), {"--parameters", parameters});
    if (!callLog.empty()) words.insert(words.end(), {"-l", callLog});
    pid_ = Spawn(words);
    ready_ = pid_ > 0 && WaitForName(true);
  }
  ~DbusMock() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    WaitForName(false);  // the next case must not find it
  }
  DbusMock(const DbusMock&) = delete;
  DbusMock& operator=(const DbusMock&) = delete;

  bool Ready() const { return ready_; }

  // org.freedesktop.DBus.Properties.Set on one of the mock's objects; `type`
  // is DBUS_TYPE_BOOLEAN (a dbus_bool_t) or DBUS_TYPE_DOUBLE (a double).
  bool SetProperty(const char* path, const char* interface, const char* name, int type, const void* value) const {
    const std::string variant = type == DBUS_TYPE_BOOLEAN
                                    ? (*static_cast<const dbus_bool_t*>(value) ? "boolean:true" : "boolean:false")
                                    : "double:" + std::to_string(*static_cast<const double*>(value));
    const pid_t sender = Spawn({"/usr/bin/dbus-send", "--system", "--print-reply", "--dest=" + busName_, path,
                                "org.freedesktop.DBus.Properties.Set", std::string("string:") + interface,
                                std::string("string:") + name, "variant:" + variant});
    int status = -1;
    return sender > 0 && waitpid(sender, &status, 0) == sender && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

 private:
  // Starts `words` with its output discarded; its pid, or -1.
  static pid_t Spawn(std::vector<std::string> words) {
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &quiet, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&quiet);
    return pid;
  }
  bool NameOwned() const {
    DBusConnection* bus = dbus_bus_get(DBUS_BUS_SYSTEM, nullptr);
    if (bus == nullptr) return false;
    const bool owned = dbus_bus_name_has_owner(bus, busName_.c_str(), nullptr);
    dbus_connection_unref(bus);
    return owned;
  }
  bool WaitForName(bool owned) const {
    for (int i = 0; i < 200; ++i) {
      if (NameOwned() == owned) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  std::string busName_;
  pid_t pid_ = -1;
  bool ready_ = false;
};

}  // namespace cdflash::test
