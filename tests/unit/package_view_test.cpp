#include <gtest/gtest.h>

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

TEST(ImageFormat, SignaturesDecideLengthAndFiveBankFlag) {
  TestPackage neither;
  EXPECT_EQ(ClassifyImage(neither.View().Slot()).length, 0x40000u);
  EXPECT_FALSE(ClassifyImage(neither.View().Slot()).fiveBank);
  EXPECT_FALSE(ClassifyImage(neither.View().Slot()).recognised);

  TestPackage four;
  four.SetSlotByte(0x4000, 0x05).SetSlotByte(0x4001, 0x80);
  EXPECT_EQ(ClassifyImage(four.View().Slot()).length, 0x40000u);
  EXPECT_FALSE(ClassifyImage(four.View().Slot()).fiveBank);
  EXPECT_TRUE(ClassifyImage(four.View().Slot()).recognised);

  TestPackage five;
  five.SetSlotByte(0x1100, 0x05).SetSlotByte(0x1101, 0x80);
  EXPECT_EQ(ClassifyImage(five.View().Slot()).length, 0x50000u);
  EXPECT_TRUE(ClassifyImage(five.View().Slot()).fiveBank);

  TestPackage both;
  both.SetSlotByte(0x4000, 0x05).SetSlotByte(0x4001, 0x80);
  both.SetSlotByte(0x1100, 0x05).SetSlotByte(0x1101, 0x80);
  EXPECT_EQ(ClassifyImage(both.View().Slot()).length, 0x40000u);
  EXPECT_FALSE(ClassifyImage(both.View().Slot()).fiveBank);

  TestPackage reversed;  // 80 05 is no signature
  reversed.SetSlotByte(0x1100, 0x80).SetSlotByte(0x1101, 0x05);
  EXPECT_FALSE(ClassifyImage(reversed.View().Slot()).recognised);
}

TEST(RawHeaderTests, AnyDriveNeedsTwoDashes) {
  TestPackage p;
  p.Inquiry("--");
  EXPECT_TRUE(p.View().IsAnyDrive());
  p.Inquiry("-ACME    ");
  EXPECT_FALSE(p.View().IsAnyDrive());
  p.Inquiry("A-");
  EXPECT_FALSE(p.View().IsAnyDrive());
}

TEST(RawHeaderTests, AnyRevisionNeedsDashAtZeroAndFive) {
  TestPackage p;
  p.FwRange("----------");
  EXPECT_TRUE(p.View().IsAnyRevision());
  p.FwRange("-000-1ZZZ");
  EXPECT_FALSE(p.View().IsAnyRevision());
  p.FwRange("1000--ZZZ");
  EXPECT_FALSE(p.View().IsAnyRevision());
  p.FwRange("1000-2000");
  EXPECT_FALSE(p.View().IsAnyRevision());
}

TEST(RawHeaderTests, FlashAllLooksAtTheFirstNineBytesOnly) {
  TestPackage p;
  p.Note("FLASH-ALL");
  EXPECT_TRUE(p.View().IsFlashAll());
  p.Note("FLASH-ALL and more text");
  EXPECT_TRUE(p.View().IsFlashAll());
  p.Note("Flash-all");
  EXPECT_FALSE(p.View().IsFlashAll());
  p.Note("FLASH-AL");
  EXPECT_FALSE(p.View().IsFlashAll());
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
}

TEST(FieldTexts, ShortRangeIsRightAlignedAndLongFieldsAreCut) {
  TestPackage p;
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
