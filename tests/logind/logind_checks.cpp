// The Linux system services against a mock logind: a block holds an
// inhibitor lock for sleep and shutdown while it lives, Reboot asks for
// interactive authorisation, and a refused Reboot says why. When the block
// is taken and what the user is told of a refusal are the session's.

#include <dbus/dbus.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "system/SystemServices.h"

namespace cdflash {
namespace {

// One call to the mock on the bus that stands in for the system bus.
DBusMessage* CallMock(const char* interface, const char* method, const char* code = nullptr) {
  DBusConnection* bus = dbus_bus_get(DBUS_BUS_SYSTEM, nullptr);
  if (bus == nullptr) return nullptr;
  DBusMessage* call =
      dbus_message_new_method_call("org.freedesktop.login1", "/org/freedesktop/login1", interface, method);
  if (code != nullptr) {  // AddMethod(interface, name, in, out, code)
    const char* iface = "org.freedesktop.login1.Manager";
    const char* name = "Reboot";
    const char* in = "b";
    const char* out = "";
    dbus_message_append_args(call, DBUS_TYPE_STRING, &iface, DBUS_TYPE_STRING, &name, DBUS_TYPE_STRING,
                             &in, DBUS_TYPE_STRING, &out, DBUS_TYPE_STRING, &code, DBUS_TYPE_INVALID);
  }
  DBusMessage* reply = dbus_connection_send_with_reply_and_block(bus, call, 5000, nullptr);
  dbus_message_unref(call);
  dbus_connection_unref(bus);
  return reply;
}

int InhibitorCount() {
  DBusMessage* reply = CallMock("org.freedesktop.login1.Manager", "ListInhibitors");
  if (reply == nullptr) return -1;
  DBusMessageIter top;
  DBusMessageIter array;
  int count = 0;
  if (dbus_message_iter_init(reply, &top) && dbus_message_iter_get_arg_type(&top) == DBUS_TYPE_ARRAY) {
    dbus_message_iter_recurse(&top, &array);
    for (; dbus_message_iter_get_arg_type(&array) != DBUS_TYPE_INVALID; dbus_message_iter_next(&array)) ++count;
  }
  dbus_message_unref(reply);
  return count;
}

// The mock drops an inhibitor when it sees its descriptor closed.
int InhibitorsAfterASettle() {
  int count = InhibitorCount();
  for (int i = 0; i < 50 && count > 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    count = InhibitorCount();
  }
  return count;
}

std::string CallLog() {
  std::ifstream in(std::getenv("CDFLASH_LOGIND_CALLS"));
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(Logind, ABlockHoldsAnInhibitorWhileItLives) {
  ASSERT_NE(std::getenv("CDFLASH_LOGIND_CALLS"), nullptr) << "run through run.sh";
  auto block = SystemServices().BlockSleepAndShutdown("Updating the firmware");
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(InhibitorCount(), 1);
  block.reset();
  EXPECT_EQ(InhibitorsAfterASettle(), 0);
  EXPECT_NE(CallLog().find("Inhibit \"sleep:shutdown:idle\" \"cdflash\""), std::string::npos) << CallLog();
}

TEST(Logind, RebootIsInteractiveAndARefusalSaysWhy) {
  ASSERT_NE(std::getenv("CDFLASH_LOGIND_CALLS"), nullptr) << "run through run.sh";
  EXPECT_TRUE(SystemServices().RequestRestart().requested);
  EXPECT_NE(CallLog().find("Reboot True"), std::string::npos) << CallLog();

  DBusMessage* added = CallMock("org.freedesktop.DBus.Mock", "AddMethod",
                                "raise dbus.exceptions.DBusException('Interactive authentication "
                                "required.', name='org.freedesktop.DBus.Error.InteractiveAuthorizationRequired')");
  ASSERT_NE(added, nullptr);
  dbus_message_unref(added);
  const RestartResult refused = SystemServices().RequestRestart();
  EXPECT_FALSE(refused.requested);
  EXPECT_EQ(refused.problem.rfind("Interactive authentication required.", 0), 0u) << refused.problem;
}

}  // namespace
}  // namespace cdflash
