// The restart request's steps, and on Windows the shutdown privilege in the
// real process token.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "system/Elevation.h"
#include "system/RestartSteps.h"

#ifdef _WIN32
#include <windows.h>

#include "system/WindowsPrivilege.h"
#endif

namespace cdflash {
namespace {

class RecordingSteps final : public IRestartSteps {
 public:
  RecordingSteps(bool nt, bool privilegeOk, bool exitOk) : nt_(nt), privilegeOk_(privilegeOk), exitOk_(exitOk) {}
  bool NeedsPrivilege() override { return nt_; }
  bool EnableShutdownPrivilege(std::uint32_t& error) override {
    calls.push_back("privilege");
    error = 1300;  // ERROR_NOT_ALL_ASSIGNED
    return privilegeOk_;
  }
  bool RequestReboot(std::uint32_t& error) override {
    calls.push_back("restart");
    error = 5;
    return exitOk_;
  }
  std::vector<std::string> calls;

 private:
  bool nt_, privilegeOk_, exitOk_;
};

TEST(RestartSteps, PrivilegeComesFirstOnNtAndEveryRefusalIsTold) {
  struct Case {
    bool nt, privilegeOk, exitOk;
    std::vector<std::string> calls;
    bool requested;
    std::string problem;
  };
  const Case cases[] = {
      {true, true, true, {"privilege", "restart"}, true, ""},
      {false, false, true, {"restart"}, true, ""},  // Windows 9x needs no privilege
      {true, false, true, {"privilege"}, false, "the shutdown privilege was refused (error 1300)"},
      {true, true, false, {"privilege", "restart"}, false, "the system refused to restart (error 5)"},
  };
  for (const Case& c : cases) {
    RecordingSteps steps(c.nt, c.privilegeOk, c.exitOk);
    const RestartResult result = RestartWithPrivilege(steps);
    EXPECT_EQ(steps.calls, c.calls);
    EXPECT_EQ(result.requested, c.requested);
    EXPECT_EQ(result.problem, c.problem);
  }
}

#ifdef _WIN32
TEST(ShutdownPrivilege, IsEnabledInTheProcessToken) {
  std::uint32_t error = 0;
  ASSERT_TRUE(EnableShutdownPrivilege(error)) << "error " << error;

  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  DWORD size = 0;
  GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size);
  ASSERT_TRUE(GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size));
  CloseHandle(token);
  LUID shutdown{};
  ASSERT_TRUE(LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &shutdown));
  const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
  bool enabled = false;
  for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
    const LUID_AND_ATTRIBUTES& p = privileges->Privileges[i];
    if (p.Luid.LowPart == shutdown.LowPart && p.Luid.HighPart == shutdown.HighPart) {
      enabled = (p.Attributes & SE_PRIVILEGE_ENABLED) != 0;
    }
  }
  EXPECT_TRUE(enabled);
}
#endif

}  // namespace
}  // namespace cdflash

namespace cdflash {
namespace {

TEST(Elevation, CommandCarriesTheDisplayAndQuotesWhatNeedsIt) {
  const auto read = [](const char* name) -> const char* {
    if (std::string(name) == "DISPLAY") return ":0";
    if (std::string(name) == "XAUTHORITY") return "/run/user/1000/it's";
    if (std::string(name) == "WAYLAND_DISPLAY") return "";  // set but empty: left out
    return nullptr;
  };
  const auto command = ElevationCommand("pkexec", "/opt/cd flash/cdflash", read);
  EXPECT_EQ(command, (std::vector<std::string>{"pkexec", "env", "DISPLAY=:0",
                                               "XAUTHORITY=/run/user/1000/it's", "/opt/cd flash/cdflash"}));
  EXPECT_EQ(CommandText(command),
            "pkexec env DISPLAY=:0 'XAUTHORITY=/run/user/1000/it'\\''s' '/opt/cd flash/cdflash'");
}

}  // namespace
}  // namespace cdflash
