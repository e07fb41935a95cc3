#include "builder/ModelTableSearch.h"

#include <algorithm>

#include "builder/BuildPaths.h"
#include "system/SystemServices.h"

namespace cdflash {
namespace {

#ifndef _WIN32
constexpr const char* kTableName = "cdflash/cdflash.INI";

// The folder that holds `path`'s last part; empty for a bare name.
std::string Parent(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// $XDG_CONFIG_HOME, or ~/.config when it is unset or not a full path (the
// XDG Base Directory rules); empty when neither can be had.
std::string UserConfigFolder(const EnvironmentReader& environment) {
  const std::string xdg = environment("XDG_CONFIG_HOME");
  if (!xdg.empty() && xdg.front() == '/') return xdg;
  const std::string home = environment("HOME");
  return home.empty() ? std::string() : JoinPath(home, ".config");
}
#endif

}  // namespace

std::vector<std::string> ModelTablePlaces(const std::string& programPath,
                                          const EnvironmentReader& environment) {
  std::vector<std::string> places = {ModelTablePath(programPath)};
  if (const std::string alternate = ModelTableAlternatePath(programPath); !alternate.empty()) {
    places.push_back(alternate);
  }
#ifdef _WIN32
  (void)environment;
#else
  if (const std::string config = UserConfigFolder(environment); !config.empty()) {
    places.push_back(JoinPath(config, kTableName));
  }
  places.push_back(JoinPath("/etc", kTableName));
  const std::string bin = Parent(programPath);
  if (FileNamePart(bin) == "bin") places.push_back(JoinPath(Parent(bin), kInstalledExampleTable));
#endif
  return places;
}

ModelTableSearch FindModelTable(const std::string& programPath, const EnvironmentReader& environment,
                                const std::function<bool(const std::string&)>& exists) {
  ModelTableSearch search;
  search.looked = ModelTablePlaces(programPath, environment);
  const auto found = std::find_if(search.looked.begin(), search.looked.end(), exists);
  if (found != search.looked.end()) search.path = *found;
  return search;
}

ModelTableSearch FindModelTable(const ISystemServices& system) {
  return FindModelTable(
      system.ProgramPath(), [&](const std::string& name) { return system.EnvironmentVariable(name); },
      [&](const std::string& path) { return system.FileExists(path); });
}

std::string CantLoadText(const std::vector<std::string>& looked) {
  if (looked.empty()) return "Can't load";
  std::string text = "Can't load " + looked.front();
  if (looked.size() > 1) text += "\nnor any of:";
  for (auto place = looked.begin() + 1; place != looked.end(); ++place) text += "\n" + *place;
  return text;
}

}  // namespace cdflash
