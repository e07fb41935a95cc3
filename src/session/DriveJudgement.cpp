#include "session/DriveJudgement.h"

#include "common/Text.h"
#include "device/Cddrive.h"

namespace cdflash {

DriveVerdict CheckCondition(const PackageView& package, const CDDrive& drive) {
  if (package.IsAnyDrive()) return DriveVerdict::Accepted;
  if (drive.VendorProduct() != package.RequiredIdentity()) return DriveVerdict::OtherModel;
  if (package.IsAnyRevision()) return DriveVerdict::Accepted;
  const std::string revision = drive.Revision();
  if (CompareOrdinal(revision, package.LowerBound()) < 0 ||
      CompareOrdinal(revision, package.UpperBound()) > 0) {
    return DriveVerdict::RevisionOutOfRange;
  }
  return DriveVerdict::Accepted;
}

}  // namespace cdflash
