#pragma once
// The texts that flash mode shows at start-up, built from the package header.

#include <string>

#include "package/PackageView.h"

namespace cdflash {

std::string DriveLabelText(const std::string& vendor);
std::string WarningText(const PackageView& package);
// The error text up to the list of drives; the caller appends the rest.
std::string ErrorTextStart(const PackageView& package);

inline constexpr const char* kNeedsAdministratorText =
    "This flasher cannot use the CD drives of this computer: sending firmware commands to a "
    "drive needs administrator rights, and it runs without them.\n\n"
    "Start it again as administrator?";
// Whether the firmware no longer matches the digest the flasher was built
// with: such a flasher ends before it touches a drive, telling
// kDamagedFlasherText.
bool FlasherIsDamaged(const PackageView& package);
inline constexpr const char* kDamagedFlasherText =
    "This flasher is damaged: its firmware no longer matches the digest it was built with, so it "
    "updates no drive. Fetch the flasher again and compare its digest with the one published "
    "beside the download.";
inline constexpr const char* kNoDriveText = "\nCan't find ATAPI Drive !\n";
inline constexpr const char* kDetectedDrivesHeading =
    "\nDetected drives:\n-----------------------------------------------------------\n";

}  // namespace cdflash
