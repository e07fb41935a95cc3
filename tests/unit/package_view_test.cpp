#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "support/TestPackage.h"

namespace cdflash {
namespace {

using test::TestPackage;

TEST(TemplateTest, ExactlyTheFourMarkerBytesSelectBuildMode) {
  TestPackage p;
  p.SetSlot(0, "BLNK");
  EXPECT_TRUE(p.View().IsTemplate());
  p.SetSlot(4, "anything after the marker");
  EXPECT_TRUE(p.View().IsTemplate());

  for (const char* other : {"blnk", "BLNk", "BLN\0", "XLNK", "BLNX"}) {
    p.SetSlot(0, std::string(other, 4));
    EXPECT_FALSE(p.View().IsTemplate()) << other;
  }
}

// Each signature at 0x1100 or 0x4000 as (first, second) byte; 0 for none.
TEST(ImageFormat, SignaturesDecideLengthAndFiveBankFlag) {
  const struct {
    const char* name;
    std::array<std::uint8_t, 2> at1100, at4000;
    std::uint32_t length;
    bool fiveBank, recognised;
  } rows[] = {
      {"neither", {0, 0}, {0, 0}, 0x40000, false, false},
      {"four banks", {0, 0}, {0x05, 0x80}, 0x40000, false, true},
      {"five banks", {0x05, 0x80}, {0, 0}, 0x50000, true, true},
      {"both: four banks wins", {0x05, 0x80}, {0x05, 0x80}, 0x40000, false, true},
      {"80 05 is no signature", {0x80, 0x05}, {0, 0}, 0x40000, false, false},
  };
  for (const auto& row : rows) {
    TestPackage p;
    p.SetSlotByte(0x1100, row.at1100[0]).SetSlotByte(0x1101, row.at1100[1]);
    p.SetSlotByte(0x4000, row.at4000[0]).SetSlotByte(0x4001, row.at4000[1]);
    const ImageFormat format = ClassifyImage(p.View().Slot());
    EXPECT_EQ(format.length, row.length) << row.name;
    EXPECT_EQ(format.fiveBank, row.fiveBank) << row.name;
    EXPECT_EQ(format.recognised, row.recognised) << row.name;
  }
}

// The header's "any drive", "any revision" and flash-all markers, each read
// from its own field's leading bytes.
TEST(RawHeaderTests, EachMarkerIsReadFromItsOwnLeadingBytes) {
  using Set = TestPackage& (TestPackage::*)(const std::string&);
  using Test = bool (PackageView::*)() const;
  const struct {
    Set set;
    Test test;
    const char* field;
    bool marks;
  } rows[] = {
      {&TestPackage::Inquiry, &PackageView::IsAnyDrive, "--", true},
      {&TestPackage::Inquiry, &PackageView::IsAnyDrive, "-ACME    ", false},
      {&TestPackage::Inquiry, &PackageView::IsAnyDrive, "A-", false},
      {&TestPackage::FwRange, &PackageView::IsAnyRevision, "----------", true},
      {&TestPackage::FwRange, &PackageView::IsAnyRevision, "-000-1ZZZ", false},
      {&TestPackage::FwRange, &PackageView::IsAnyRevision, "1000--ZZZ", false},
      {&TestPackage::FwRange, &PackageView::IsAnyRevision, "1000-2000", false},
      {&TestPackage::Note, &PackageView::IsFlashAll, "FLASH-ALL", true},
      {&TestPackage::Note, &PackageView::IsFlashAll, "FLASH-ALL and more text", true},
      {&TestPackage::Note, &PackageView::IsFlashAll, "Flash-all", false},
      {&TestPackage::Note, &PackageView::IsFlashAll, "FLASH-AL", false},
  };
  for (const auto& row : rows) {
    TestPackage p;
    (p.*row.set)(row.field);
    EXPECT_EQ((p.View().*row.test)(), row.marks) << row.field;
  }
}

TEST(FieldTexts, FormatsCutAndPadAsPrintfWould) {
  TestPackage p;
  p.Vendor("ACME").Model("CDRW 4012A").Inquiry("ACME    CDRW4012A").FwRange("1.00-1.50");
  p.Revision("1.60.");
  const PackageView v = p.View();
  EXPECT_EQ(v.VendorText(), "ACME");
  EXPECT_EQ(v.ModelText(), "CDRW 4012A");
  EXPECT_EQ(v.RequiredIdentity(), "ACME    CDRW4012A       ");
  EXPECT_EQ(v.RangeText(), "1.00-1.50");
  EXPECT_EQ(v.LowerBound(), "1.00");
  EXPECT_EQ(v.UpperBound(), "1.50");
  EXPECT_EQ(v.PackageRevision(), "1.60");

  // A short range is right-aligned, and long fields are cut.
  p.FwRange("1.0-2");
  EXPECT_EQ(p.View().RangeText(), "    1.0-2");
  EXPECT_EQ(p.View().LowerBound(), "1.0-");
  EXPECT_EQ(p.View().UpperBound(), "    ");  // "%4.4s" of the empty text from character 5
  p.FwRange("AB-CD");
  EXPECT_EQ(p.View().LowerBound(), "AB-C");
  p.FwRange("12");
  EXPECT_EQ(p.View().LowerBound(), "  12");

  // A field with no NUL in its 25 bytes is read up to its end and no further.
  p.Inquiry(std::string(25, 'X'));
  EXPECT_EQ(p.View().RequiredIdentity(), std::string(24, 'X'));
  p.Vendor(std::string(25, 'V'));
  EXPECT_EQ(p.View().VendorText(), std::string(25, 'V'));
}

// A sealed package stays intact until a byte it sends or its header changes;
// bytes past the image it sends are not part of it.
TEST(PackageDigestCheck, AnyChangeToWhatIsSentBreaksTheSeal) {
  const auto fourBank = [] {
    TestPackage p;
    p.SetSlotByte(0x4000, 0x05).SetSlotByte(0x4001, 0x80);
    return p;
  };
  const struct {
    const char* name;
    std::function<void(TestPackage&)> change;
    DigestCheck check;
  } rows[] = {
      {"never sealed", [](TestPackage&) {}, DigestCheck::NotSealed},
      {"as sealed", [](TestPackage& p) { p.Seal(); }, DigestCheck::Intact},
      {"first image byte", [](TestPackage& p) { p.Seal().SetSlotByte(0, 'X'); }, DigestCheck::Damaged},
      {"last byte sent", [](TestPackage& p) { p.Seal().SetSlotByte(0x3FFFF, 1); }, DigestCheck::Damaged},
      {"signature lost", [](TestPackage& p) { p.Seal().SetSlotByte(0x4001, 0); }, DigestCheck::Damaged},
      {"header", [](TestPackage& p) { p.Seal().Revision("1.61."); }, DigestCheck::Damaged},
      {"past the image sent", [](TestPackage& p) { p.Seal().SetSlotByte(0x40000, 1); }, DigestCheck::Intact},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TestPackage p = fourBank();
    row.change(p);
    EXPECT_EQ(CheckPackageDigest(p.View()), row.check);
    EXPECT_EQ(StoredDigestHex(p.View()).size(), row.check == DigestCheck::NotSealed ? 0u : 64u);
  }
}

}  // namespace
}  // namespace cdflash
