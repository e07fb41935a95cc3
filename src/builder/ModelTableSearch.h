#pragma once
// Where build mode finds its model table: the places it looks, in order, and
// the first of them that holds a file.

#include <functional>
#include <string>
#include <vector>

#include "system/Environment.h"

namespace cdflash {

class ISystemServices;

// Where the example table of an installed copy is, below its prefix (the
// folder above the program's "bin"); the install rules put it there.
inline constexpr const char* kInstalledExampleTable = "share/doc/cdflash/examples/cdflash.INI";

/// The places to look for the model table of the program at `programPath`,
/// in order. First the table next to the program (ModelTablePath, then
/// ModelTableAlternatePath). Windows looks nowhere else. Linux then looks in
/// the user's configuration ($XDG_CONFIG_HOME/cdflash/cdflash.INI, by
/// default ~/.config), the system's (/etc/cdflash/cdflash.INI) and, for a
/// program in a "bin" folder, the example its installation ships.
std::vector<std::string> ModelTablePlaces(const std::string& programPath,
                                          const EnvironmentReader& environment);

struct ModelTableSearch {
  std::string path;                 // the table found; empty when there is none
  std::vector<std::string> looked;  // every place looked, in order
};

/// The first of ModelTablePlaces for which `exists` is true.
ModelTableSearch FindModelTable(const std::string& programPath, const EnvironmentReader& environment,
                                const std::function<bool(const std::string&)>& exists);
/// The same for the running program of `system`.
ModelTableSearch FindModelTable(const ISystemServices& system);

/// What build mode says when no table was found: "Can't load " and the
/// first place, then every other place it looked, one a line.
std::string CantLoadText(const std::vector<std::string>& looked);

}  // namespace cdflash
