#include "system/Elevation.h"

#include <algorithm>
#include <array>

namespace cdflash {
namespace {

// What a window started by root needs to reach the user's desktop.
constexpr std::array<const char*, 4> kDisplayVariables = {"DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY",
                                                          "XDG_RUNTIME_DIR"};

std::vector<std::string> DisplayAssignments(const EnvironmentReader& read) {
  std::vector<std::string> words;
  for (const char* name : kDisplayVariables) {
    const std::string value = read(name);
    if (!value.empty()) words.push_back(std::string(name) + "=" + value);
  }
  return words;
}

bool IsDisplayAssignment(const std::string& word) {
  const std::size_t equals = word.find('=');
  return equals != std::string::npos &&
         std::any_of(kDisplayVariables.begin(), kDisplayVariables.end(),
                     [&](const char* name) { return word.compare(0, equals, name) == 0; });
}

}  // namespace

std::vector<std::string> ElevationCommand(const std::string& tool, const std::string& program,
                                          const EnvironmentReader& read) {
  std::vector<std::string> command = {tool, "env"};
  for (std::string& word : DisplayAssignments(read)) command.push_back(std::move(word));
  command.push_back(program);
  return command;
}

std::vector<std::string> PkexecCommand(const std::string& program, const EnvironmentReader& read,
                                       bool packaged) {
  if (!packaged) return ElevationCommand("pkexec", program, read);
  std::vector<std::string> command = {"pkexec", kPackagedProgram, kStartAsAdministratorOption};
  for (std::string& word : DisplayAssignments(read)) command.push_back(std::move(word));
  command.push_back(program);
  return command;
}

std::optional<AdministratorStart> ParseAdministratorStart(const std::vector<std::string>& words) {
  if (words.empty() || words.back().empty() || words.back().front() != '/') return std::nullopt;
  AdministratorStart start{{words.begin(), words.end() - 1}, words.back()};
  if (!std::all_of(start.environment.begin(), start.environment.end(), IsDisplayAssignment)) {
    return std::nullopt;
  }
  return start;
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
