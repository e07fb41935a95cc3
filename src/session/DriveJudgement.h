#pragma once
// Whether a flasher's package may update a drive, and if not, why.

#include "package/PackageView.h"

namespace cdflash {

class CDDrive;

enum class DriveVerdict {
  Accepted,            // this package may update the drive
  OtherModel,          // the drive's identity is not the one the package names
  RevisionOutOfRange,  // the right model, with a revision outside the package's range
};

// CheckCondition: any drive for an any-drive package; otherwise the drive's
// vendor and product must be the package's identity, and, unless the package
// takes any revision, its revision must lie within the package's range
// (bounds included, compared byte by byte).
DriveVerdict CheckCondition(const PackageView& package, const CDDrive& drive);

}  // namespace cdflash
