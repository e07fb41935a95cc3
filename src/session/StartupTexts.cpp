#include "session/StartupTexts.h"

#include "package/PackageDigest.h"

namespace cdflash {

std::string DriveLabelText(const std::string& vendor) {
  return "Select the " + vendor + " drive you want to update:";
}

std::string WarningText(const PackageView& package) {
  const std::string vendor = package.VendorText();
  const std::string model = package.ModelText();
  std::string text = "\nWARNING:\n";
  // The two variants differ in where the blanks and line breaks stand.
  if (package.IsAnyRevision()) {
    text += "\nThis flash utility only supports " + vendor + " " + model + " drive. " +
            "\n We recommend you close all applications in order to run this update!" +
            " Don't turn off the system while the flash is in progress! " +
            "\n\nDo you wish to continue?\n";
  } else {
    text += "\nThis flash utility only supports " + vendor + " " + model +
            " drive with firmware:" + package.RangeText() +
            ". We recommend you close all applications in order to run this update! " +
            "Don't turn off the system while the flash is in progress!" +
            "\n\nDo you wish to continue?\n";
  }
  return text;
}

std::string ErrorTextStart(const PackageView& package) {
  const std::string model = package.ModelText();
  std::string text = "\nERROR:\n";
  if (package.IsAnyRevision()) {
    text += "\nCan't found " + model + " drive !\n" + "\nThis flash utility only supports " +
            model + "\n";
  } else {
    const std::string range = package.RangeText();
    text += "\nCan't found " + model + " firmware: " + range + " drive !\n" +
            "\nThis flash utility only supports " + model + " firmware: " + range + "\n";
  }
  return text;
}

bool FlasherIsDamaged(const PackageView& package) {
  return CheckPackageDigest(package) == DigestCheck::Damaged;
}

}  // namespace cdflash
