#pragma once
// Starting the program again with administrator rights (Linux): the command
// line that does it, carrying what a window needs to reach the desktop.

#include <functional>
#include <string>
#include <vector>

namespace cdflash {

using EnvironmentReader = std::function<const char*(const char*)>;

// `tool` ("pkexec" or "sudo") env DISPLAY=... XAUTHORITY=... WAYLAND_DISPLAY=...
// XDG_RUNTIME_DIR=... `program`; a variable that is not set is left out.
std::vector<std::string> ElevationCommand(const std::string& tool, const std::string& program,
                                          const EnvironmentReader& read);

// The command as one line for a terminal, each word quoted where it needs it.
std::string CommandText(const std::vector<std::string>& command);

}  // namespace cdflash
