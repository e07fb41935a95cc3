#pragma once
// Starting the program again with administrator rights (Linux): the command
// line that does it, carrying what a window needs to reach the desktop.

#include <optional>
#include <string>
#include <vector>

#include "system/Environment.h"

namespace cdflash {

// The Debian package's program. pkexec names a polkit action only for the
// program that action is written for, so a flasher anywhere else is started
// as administrator through this one, which then runs the flasher.
inline constexpr const char* kPackagedProgram = "/usr/bin/cdflash";
// Its first argument for that; NAME=VALUE words and the flasher follow.
inline constexpr const char* kStartAsAdministratorOption = "--start-as-administrator";

// `tool` ("pkexec" or "sudo") env DISPLAY=... XAUTHORITY=... WAYLAND_DISPLAY=...
// XDG_RUNTIME_DIR=... `program`; a variable that is not set is left out.
std::vector<std::string> ElevationCommand(const std::string& tool, const std::string& program,
                                          const EnvironmentReader& read);

// What pkexec runs to start `program` as administrator: through the packaged
// program when it is installed (`packaged`), so that the authentication
// dialog says what it is for; else as ElevationCommand does.
std::vector<std::string> PkexecCommand(const std::string& program, const EnvironmentReader& read,
                                       bool packaged);

// A start as administrator through the packaged program.
struct AdministratorStart {
  std::vector<std::string> environment;  // NAME=VALUE, display variables only
  std::string program;                   // an absolute path
};

// The words after kStartAsAdministratorOption; nothing unless they are
// assignments of the variables ElevationCommand carries followed by one
// absolute path.
std::optional<AdministratorStart> ParseAdministratorStart(const std::vector<std::string>& words);

// Linux: replaces this process by `start.program` with its variables set.
// Returns only when that fails, with the reason.
std::string ExecAdministratorStart(const AdministratorStart& start);

// The command as one line for a terminal, each word quoted where it needs it.
std::string CommandText(const std::vector<std::string>& command);

}  // namespace cdflash
