#pragma once
// How the terminal prints the machine's drives: --list as text or JSON, and
// the list of names that follows a name that fits no drive or several.

#include <string>
#include <vector>

#include "app/FlashSession.h"

namespace cdflash::cli {

// `flasher`: each drive with whether this flasher may update it (and why not).
std::string DrivesAsText(const std::vector<DriveEntry>& entries, bool flasher);
std::string DrivesAsJson(const std::vector<DriveEntry>& entries, bool flasher);
// One line per drive, indented: what names it.
std::string Candidates(const std::vector<DriveEntry>& entries);

}  // namespace cdflash::cli
