#pragma once
// libdbus with owned messages and connections, for the calls the Linux
// system services make on the system bus (logind, UPower).

#include <dbus/dbus.h>

#include <memory>
#include <string>

namespace cdflash::dbus {

struct MessageUnref {
  void operator()(DBusMessage* m) const { dbus_message_unref(m); }
};
using Message = std::unique_ptr<DBusMessage, MessageUnref>;

struct ConnectionUnref {
  void operator()(DBusConnection* c) const { dbus_connection_unref(c); }
};
using Connection = std::unique_ptr<DBusConnection, ConnectionUnref>;

/// The system bus, or null with `problem` set. A bus that goes away later
/// never ends the program.
Connection SystemBus(std::string& problem);

/// Sends `call` and waits at most `timeoutMs` for its reply; null with
/// `problem` set when the call fails, is refused or is not answered.
Message CallAndWait(DBusConnection& bus, const Message& call, int timeoutMs, std::string& problem);

}  // namespace cdflash::dbus
