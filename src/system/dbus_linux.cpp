#include "system/dbus_linux.h"

#include <mutex>

namespace cdflash::dbus {

Connection SystemBus(std::string& problem) {
  static std::once_flag threads;
  std::call_once(threads, [] { dbus_threads_init_default(); });
  DBusError error;
  dbus_error_init(&error);
  Connection bus(dbus_bus_get(DBUS_BUS_SYSTEM, &error));
  if (!bus) {
    problem = error.message != nullptr ? error.message : "the system bus is not running";
    dbus_error_free(&error);
    return bus;
  }
  // libdbus ends the process when a shared bus connection drops, unless told not to.
  dbus_connection_set_exit_on_disconnect(bus.get(), FALSE);
  return bus;
}

Message CallAndWait(DBusConnection& bus, const Message& call, int timeoutMs, std::string& problem) {
  DBusError error;
  dbus_error_init(&error);
  Message reply(dbus_connection_send_with_reply_and_block(&bus, call.get(), timeoutMs, &error));
  if (!reply) {
    const char* to = dbus_message_get_destination(call.get());
    problem = error.message != nullptr ? error.message
                                       : std::string("no answer from ") + (to != nullptr ? to : "the bus");
    dbus_error_free(&error);
  }
  return reply;
}

}  // namespace cdflash::dbus
