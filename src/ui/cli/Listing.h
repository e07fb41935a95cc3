#pragma once
// How the terminal prints what it lists: the machine's drives (--list as
// text or JSON, and the names that follow a name that fits no drive or
// several) and a template's model table (--models).

#include <string>
#include <vector>

#include "session/FlashSession.h"
#include "builder/ModelTable.h"

namespace cdflash {
class ISystemServices;
}

namespace cdflash::cli {

// `flasher`: each drive with whether this flasher may update it (and why not).
// `digest`: the flasher's stored digest in hex, empty when it has none.
std::string DrivesAsText(const std::vector<DriveEntry>& entries, bool flasher);
std::string DrivesAsJson(const std::vector<DriveEntry>& entries, bool flasher, const std::string& digest);
// One line per drive, indented: what names it.
std::string Candidates(const std::vector<DriveEntry>& entries);
// Why `selector` named no drive (`none`) or several, and the drives there are.
std::string NotOneDrive(const std::string& selector, bool none, const std::vector<DriveEntry>& entries);
// What to run to update `selector`'s drive as administrator.
std::string RightsAdvice(const ISystemServices& system, const std::string& selector);
// Each model with its number and every value of its section.
std::string ModelsAsText(const ModelTable& table);

}  // namespace cdflash::cli
