#include <gtest/gtest.h>

#include "session/StartupTexts.h"
#include "support/TestPackage.h"

namespace cdflash {
namespace {

using test::TestPackage;

TestPackage RangedPackage() {
  TestPackage p;
  p.Vendor("ACME").Model("CRW-4012").Inquiry("ACME    CRW-4012A").FwRange("1.00-1.50");
  return p;
}

TEST(WarningText, RangedPackageNamesTheRange) {
  EXPECT_EQ(WarningText(RangedPackage().View()),
            "\nWARNING:\n\nThis flash utility only supports ACME CRW-4012 drive with firmware:"
            "1.00-1.50. We recommend you close all applications in order to run this update! "
            "Don't turn off the system while the flash is in progress!\n\nDo you wish to continue?\n");
}

TEST(WarningText, AnyRevisionPackageHasItsOwnBlanksAndBreaks) {
  TestPackage p = RangedPackage();
  p.FwRange("----------");
  EXPECT_EQ(WarningText(p.View()),
            "\nWARNING:\n\nThis flash utility only supports ACME CRW-4012 drive. "
            "\n We recommend you close all applications in order to run this update!"
            " Don't turn off the system while the flash is in progress! "
            "\n\nDo you wish to continue?\n");
}

TEST(WarningText, AnyDrivePackageStillNamesTheRange) {
  TestPackage p = RangedPackage();
  p.Inquiry("--");
  EXPECT_NE(WarningText(p.View()).find("drive with firmware:1.00-1.50."), std::string::npos);
}

TEST(ErrorText, BothVariants) {
  EXPECT_EQ(ErrorTextStart(RangedPackage().View()),
            "\nERROR:\n\nCan't found CRW-4012 firmware: 1.00-1.50 drive !\n"
            "\nThis flash utility only supports CRW-4012 firmware: 1.00-1.50\n");
  TestPackage any = RangedPackage();
  any.FwRange("-ANY--ANY");
  EXPECT_EQ(ErrorTextStart(any.View()),
            "\nERROR:\n\nCan't found CRW-4012 drive !\n\nThis flash utility only supports CRW-4012\n");
}

TEST(DriveLabel, EmptyVendorLeavesTwoBlanks) {
  EXPECT_EQ(DriveLabelText("ACME"), "Select the ACME drive you want to update:");
  EXPECT_EQ(DriveLabelText(""), "Select the  drive you want to update:");
}

}  // namespace
}  // namespace cdflash
