#include "system/Elevation.h"

namespace cdflash {

std::vector<std::string> ElevationCommand(const std::string& tool, const std::string& program,
                                          const EnvironmentReader& read) {
  std::vector<std::string> command = {tool, "env"};
  for (const char* name : {"DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"}) {
    const char* value = read(name);
    if (value != nullptr && *value != '\0') command.push_back(std::string(name) + "=" + value);
  }
  command.push_back(program);
  return command;
}

std::string CommandText(const std::vector<std::string>& command) {
  std::string text;
  for (const std::string& word : command) {
    if (!text.empty()) text += ' ';
    const bool plain = !word.empty() && word.find_first_not_of(
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_-./=:,+@%") == std::string::npos;
    if (plain) {
      text += word;
      continue;
    }
    text += '\'';
    for (char c : word) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    text += '\'';
  }
  return text;
}

}  // namespace cdflash
