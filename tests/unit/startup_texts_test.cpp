#include <gtest/gtest.h>

#include "session/StartupTexts.h"
#include "support/TestPackage.h"

namespace cdflash {
namespace {

// Each shape of package header against the warning and the error it gives:
// the ranged and the any-revision wordings differ in their blanks and breaks.
TEST(StartupTexts, EachPackageShapeHasItsOwnWording) {
  struct Row {
    const char* name;
    const char* fwRange;
    const char* inquiry;
    std::string (*text)(const PackageView&);
    const char* expected;
  };
  const char* const kRangedWarning =
      "\nWARNING:\n\nThis flash utility only supports ACME CRW-4012 drive with firmware:1.00-1.50. We recommend you "
      "close all applications in order to run this update! Don't turn off the system while the flash is in "
      "progress!\n\nDo you wish to continue?\n";
  const Row rows[] = {
      {"ranged warning", "1.00-1.50", "ACME    CRW-4012A", WarningText, kRangedWarning},
      {"any-revision warning", "----------", "ACME    CRW-4012A", WarningText,
       "\nWARNING:\n\nThis flash utility only supports ACME CRW-4012 drive. \n We recommend you close all "
       "applications in order to run this update! Don't turn off the system while the flash is in progress! "
       "\n\nDo you wish to continue?\n"},
      {"any-drive warning still names the range", "1.00-1.50", "--", WarningText, kRangedWarning},
      {"ranged error", "1.00-1.50", "ACME    CRW-4012A", ErrorTextStart,
       "\nERROR:\n\nCan't found CRW-4012 firmware: 1.00-1.50 drive !\n"
       "\nThis flash utility only supports CRW-4012 firmware: 1.00-1.50\n"},
      {"any-revision error", "-ANY--ANY", "ACME    CRW-4012A", ErrorTextStart,
       "\nERROR:\n\nCan't found CRW-4012 drive !\n\nThis flash utility only supports CRW-4012\n"},
  };
  for (const Row& row : rows) {
    test::TestPackage p;
    p.Vendor("ACME").Model("CRW-4012").Inquiry(row.inquiry).FwRange(row.fwRange);
    EXPECT_EQ(row.text(p.View()), row.expected) << row.name;
  }
  EXPECT_EQ(DriveLabelText("ACME"), "Select the ACME drive you want to update:");
  EXPECT_EQ(DriveLabelText(""), "Select the  drive you want to update:") << "an empty vendor leaves two blanks";
}

}  // namespace
}  // namespace cdflash
