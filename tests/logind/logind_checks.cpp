// The Linux system services against a mock logind on a private bus: a block
// holds an inhibitor lock for sleep and shutdown while it lives, Reboot asks
// for interactive authorisation, and a refused Reboot says why. When the
// block is taken and what the user is told of a refusal are the session's.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "support/DbusMock.h"
#include "support/TempFolder.h"
#include "system/SystemServices.h"

namespace cdflash {
namespace {

// The mock's answer to `call` (a method and its arguments), as dbus-send
// prints it, on the bus that stands in for the system bus.
std::string CallMock(const std::string& call) {
  const std::string command = "dbus-send --system --print-reply --dest=org.freedesktop.login1 "
                              "/org/freedesktop/login1 " + call + " 2>&1";
  std::string reply;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) reply += buffer;
    pclose(pipe);
  }
  return reply;
}

// -1 when the mock does not answer.
int InhibitorCount() {
  const std::string reply = CallMock("org.freedesktop.login1.Manager.ListInhibitors");
  if (reply.rfind("method return", 0) != 0) return -1;
  int count = 0;
  for (auto at = reply.find("struct {"); at != std::string::npos; at = reply.find("struct {", at + 1)) ++count;
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

// A mock logind of the case's own, each call it receives written to a file.
struct MockLogind {
  bool Up() const { return std::getenv("DBUS_SYSTEM_BUS_ADDRESS") != nullptr && mock.Ready(); }
  std::string Calls() const { return test::ReadText(folder / "calls.log"); }
  test::TempFolder folder{"cdflash-logind"};
  test::DbusMock mock{"logind", "org.freedesktop.login1", "", folder / "calls.log"};
};

TEST(Logind, ABlockHoldsAnInhibitorWhileItLives) {
  MockLogind logind;
  ASSERT_TRUE(logind.Up()) << "the mock logind did not come up on a private bus (run through ctest)";
  auto block = SystemServices().BlockSleepAndShutdown("Updating the firmware");
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(InhibitorCount(), 1);
  block.reset();
  EXPECT_EQ(InhibitorsAfterASettle(), 0);
  EXPECT_NE(logind.Calls().find("Inhibit \"sleep:shutdown:idle\" \"cdflash\""), std::string::npos) << logind.Calls();
}

TEST(Logind, RebootIsInteractiveAndARefusalSaysWhy) {
  MockLogind logind;
  ASSERT_TRUE(logind.Up()) << "the mock logind did not come up on a private bus (run through ctest)";
  EXPECT_TRUE(SystemServices().RequestRestart().requested);
  EXPECT_NE(logind.Calls().find("Reboot True"), std::string::npos) << logind.Calls();

  const std::string added = CallMock(
      "org.freedesktop.DBus.Mock.AddMethod string:org.freedesktop.login1.Manager string:Reboot string:b string: "
      "\"string:raise dbus.exceptions.DBusException('Interactive authentication required.', "
      "name='org.freedesktop.DBus.Error.InteractiveAuthorizationRequired')\"");
  ASSERT_EQ(added.rfind("method return", 0), 0u) << added;
  const RestartResult refused = SystemServices().RequestRestart();
  EXPECT_FALSE(refused.requested);
  EXPECT_EQ(refused.problem.rfind("Interactive authentication required.", 0), 0u) << refused.problem;
}

}  // namespace
}  // namespace cdflash
