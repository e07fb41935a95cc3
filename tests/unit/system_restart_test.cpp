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
// No program loses unsaved work to the restart where the system can help
// it: only a hung one is closed by force from Windows 2000 on.
TEST(RestartSteps, OnlyHungProgramsAreClosedByForceWhereTheSystemCan) {
  constexpr std::uint32_t kReboot = 0x02, kForce = 0x04, kForceIfHung = 0x10;
  EXPECT_EQ(RestartFlags(2, 5), kReboot | kForceIfHung);   // Windows 2000
  EXPECT_EQ(RestartFlags(2, 10), kReboot | kForceIfHung);  // Windows 10
  EXPECT_EQ(RestartFlags(2, 4), kReboot | kForce);         // NT 4
  EXPECT_EQ(RestartFlags(1, 4), kReboot | kForce);         // Windows 98
}

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

// The user's display variables: one with a quote, one set but empty.
std::string ReadDisplay(const std::string& name) {
  if (name == "DISPLAY") return ":0";
  if (name == "XAUTHORITY") return "/run/user/1000/it's";
  return {};  // WAYLAND_DISPLAY set but empty reads the same: left out
}

TEST(Elevation, CommandCarriesTheDisplayAndQuotesWhatNeedsIt) {
  const auto command = ElevationCommand("pkexec", "/opt/cd flash/cdflash", ReadDisplay);
  EXPECT_EQ(command, (std::vector<std::string>{"pkexec", "env", "DISPLAY=:0",
                                               "XAUTHORITY=/run/user/1000/it's", "/opt/cd flash/cdflash"}));
  EXPECT_EQ(CommandText(command),
            "pkexec env DISPLAY=:0 'XAUTHORITY=/run/user/1000/it'\\''s' '/opt/cd flash/cdflash'");
}

// pkexec runs the packaged program where it is installed (its polkit action
// then names what the start is for), which accepts what it was given.
TEST(Elevation, PackagedProgramStartsTheFlasherItIsGiven) {
  const std::string flasher = "/home/u/1.60.EXE";
  const auto command = PkexecCommand(flasher, ReadDisplay, true);
  ASSERT_GE(command.size(), 3u);
  EXPECT_EQ(command[2], kStartAsAdministratorOption);
  const auto start = ParseAdministratorStart({command.begin() + 3, command.end()});
  ASSERT_TRUE(start.has_value());
  EXPECT_EQ(start->program, flasher);
  EXPECT_EQ(start->environment,
            (std::vector<std::string>{"DISPLAY=:0", "XAUTHORITY=/run/user/1000/it's"}));
}

TEST(Elevation, PackagedProgramRefusesAnythingButDisplayVariablesAndOneFullPath) {
  const std::vector<std::vector<std::string>> refused = {
      {},
      {"DISPLAY=:0"},                                 // no program
      {"1.60.EXE"},                                   // not a full path
      {"LD_PRELOAD=/tmp/x.so", "/home/u/1.60.EXE"},   // not a display variable
      {"DISPLAYX=:0", "/home/u/1.60.EXE"},
      {"DISPLAY", "/home/u/1.60.EXE"},                // not an assignment
      {"/home/u/1.60.EXE", "--flash"},                // nothing after the program
  };
  for (const auto& words : refused) {
    EXPECT_FALSE(ParseAdministratorStart(words).has_value()) << CommandText(words);
  }
  const auto plain = ParseAdministratorStart({"/home/u/1.60.EXE"});
  ASSERT_TRUE(plain.has_value());
  EXPECT_TRUE(plain->environment.empty());
}

}  // namespace
}  // namespace cdflash
