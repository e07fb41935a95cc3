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
  // `parameters`: the template's JSON parameters, or empty.
  DbusMock(const std::string& templateName, std::string busName, const std::string& parameters = {})
      : busName_(std::move(busName)) {
    std::vector<std::string> words = {"/usr/bin/python3", "-m", "dbusmock", "--template", templateName};
    if (!parameters.empty()) words.insert(words.end(), {"--parameters", parameters});
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    if (posix_spawn(&pid_, argv[0], &quiet, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&quiet);
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
    DBusConnection* bus = dbus_bus_get(DBUS_BUS_SYSTEM, nullptr);
    if (bus == nullptr) return false;
    DBusMessage* call = dbus_message_new_method_call(busName_.c_str(), path, "org.freedesktop.DBus.Properties", "Set");
    DBusMessageIter args, variant;
    dbus_message_iter_init_append(call, &args);
    dbus_message_iter_append_basic(&args, DBUS_TYPE_STRING, &interface);
    dbus_message_iter_append_basic(&args, DBUS_TYPE_STRING, &name);
    const char signature[2] = {static_cast<char>(type), '\0'};
    dbus_message_iter_open_container(&args, DBUS_TYPE_VARIANT, signature, &variant);
    dbus_message_iter_append_basic(&variant, type, value);
    dbus_message_iter_close_container(&args, &variant);
    DBusMessage* reply = dbus_connection_send_with_reply_and_block(bus, call, 5000, nullptr);
    dbus_message_unref(call);
    dbus_connection_unref(bus);
    if (reply == nullptr) return false;
    dbus_message_unref(reply);
    return true;
  }

 private:
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
