#pragma once
// What the terminal lists, told by the sessions: the machine's drives (as
// text or JSON, and the names that follow a name that fits no drive or
// several), a template's model table, and the program's version with its
// firmware digest.

#include <string>
#include <vector>

#include "session/FlashSession.h"
#include "builder/ModelTable.h"
#include "package/PackageView.h"

namespace cdflash {

class ISystemServices;

// A flasher lists each drive with whether it may update it (and why not); the
// JSON holds the flasher's stored digest as well.
std::string DrivesAsText(const std::vector<DriveEntry>& entries, const PackageView& package);
std::string DrivesAsJson(const std::vector<DriveEntry>& entries, const PackageView& package);
// One line per drive, indented: what names it.
std::string Candidates(const std::vector<DriveEntry>& entries);
// Why `selector` named no drive (`none`) or several, and the drives there are.
std::string NotOneDrive(const std::string& selector, bool none, const std::vector<DriveEntry>& entries);
// What to run to update `selector`'s drive as administrator.
std::string RightsAdvice(const ISystemServices& system, const std::string& selector);
// Each model with its number and every value of its section.
std::string ModelsAsText(const ModelTable& table);
// The version, and the digest a flasher was built with, to compare with the
// one published beside a download.
std::string VersionText(const PackageView& package);

}  // namespace cdflash
