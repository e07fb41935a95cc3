// The drives of cdflash-demo: the drives file it reads next to the program,
// and the built-in drives it falls back to.

#include <gtest/gtest.h>

#include "demo/DemoDrives.h"
#include "demo/DemoSystem.h"
#include "support/FlashModeHarness.h"
#include "support/TempFolder.h"

namespace cdflash::demo {
namespace {

std::vector<std::string> Identities(const std::vector<sim::DriveConfig>& drives) {
  std::vector<std::string> identities;
  for (const sim::DriveConfig& d : drives) {
    identities.push_back(d.vendor + "|" + d.product + "|" + d.revision);
  }
  return identities;
}

TEST(DemoDrivesFile, OneDrivePerLineSkippingBlankLinesAndComments) {
  const DemoDrives parsed = ParseDrives(
      "# vendor|product|revision\r\n"
      "ACME|CRW-4012A|1.20\r\n"
      "\n"
      "   \t\n"
      "  # an indented comment\n"
      " OTHER  |  DVD-ROM 16X |2.00 \n"
      "|EMPTY VENDOR|\n"
      "ACME|CRW-4012A|1.50");  // no line break at the end
  EXPECT_TRUE(parsed.problems.empty());
  EXPECT_EQ(Identities(parsed.drives),
            (std::vector<std::string>{"ACME|CRW-4012A|1.20", "OTHER|DVD-ROM 16X|2.00",
                                      "|EMPTY VENDOR|", "ACME|CRW-4012A|1.50"}));
  // Everything else is the simulator's default drive: no disc in it.
  EXPECT_EQ(parsed.drives[0].mediumScript, std::vector<sim::Sense>{sim::kNoMedium});
}

TEST(DemoDrivesFile, BadLinesAreReportedWithTheirNumbersAndSkipped) {
  const DemoDrives parsed = ParseDrives(
      "ACME|CRW-4012A\n"                    // 1: two fields
      "ACME|CRW-4012A|1.20|extra\n"         // 2: four fields
      "ACMEACMEA|CRW-4012A|1.20\n"          // 3: vendor of 9
      "ACME|CRW-4012A-CRW-401|1.20\n"       // 4: product of 17
      "ACME|CRW-4012A|1.200\n"              // 5: revision of 5
      "ACMEACME|CRW-4012A-CRW-40|1.20\n");  // 6: every field at its limit
  ASSERT_EQ(parsed.problems.size(), 5u);
  for (std::size_t i = 0; i < parsed.problems.size(); ++i) {
    EXPECT_EQ(parsed.problems[i].rfind("line " + std::to_string(i + 1) + ": ", 0), 0u)
        << parsed.problems[i];
  }
  EXPECT_NE(parsed.problems[2].find("vendor"), std::string::npos);
  EXPECT_NE(parsed.problems[3].find("product"), std::string::npos);
  EXPECT_NE(parsed.problems[4].find("revision"), std::string::npos);
  EXPECT_EQ(Identities(parsed.drives), std::vector<std::string>{"ACMEACME|CRW-4012A-CRW-40|1.20"});
}

TEST(DemoDrivesFile, NoMoreDrivesThanTheDeviceLayerLists) {
  std::string text;
  for (int i = 0; i < 30; ++i) text += "ACME|CRW-4012A|1." + std::to_string(10 + i) + "\n";
  const DemoDrives parsed = ParseDrives(text);
  ASSERT_EQ(parsed.drives.size(), kMaxDemoDrives);
  EXPECT_EQ(parsed.drives.back().revision, "1.33");
  ASSERT_EQ(parsed.problems.size(), 1u);
  EXPECT_EQ(parsed.problems[0].rfind("line 25: ", 0), 0u);
}

TEST(DemoDrivesFile, TheFileNextToTheProgramReplacesTheBuiltInDrives) {
  const test::TempFolder dir;
  DemoDrives loaded = LoadDrives(dir.Path());
  EXPECT_EQ(Identities(loaded.drives), Identities(BuiltInDrives()));
  EXPECT_TRUE(loaded.problems.empty());

  test::WriteText(dir / kDrivesFileName, "OTHER|DVD-ROM 16X|2.00\nbroken line\n");
  loaded = LoadDrives(dir.Path());
  EXPECT_EQ(Identities(loaded.drives), std::vector<std::string>{"OTHER|DVD-ROM 16X|2.00"});
  ASSERT_EQ(loaded.problems.size(), 1u);
  EXPECT_NE(loaded.problems[0].find(kDrivesFileName), std::string::npos);
  EXPECT_NE(loaded.problems[0].find("line 2: "), std::string::npos);

  test::WriteText(dir / kDrivesFileName, "");  // a machine without drives, not a missing file
  EXPECT_TRUE(LoadDrives(dir.Path()).drives.empty());
}

// The built-in drives are meant for a flasher with make_test_flasher's
// default package (ACME CRW-4012, 1.00-1.50): two of the three qualify.
TEST(DemoDrivesFile, TwoBuiltInDrivesQualifyForTheDefaultTestFlasher) {
  test::FlashModeHarness h;
  for (const sim::DriveConfig& drive : BuiltInDrives()) h.bench.platform.AddDrive(drive);
  h.Create();
  EXPECT_EQ(h.ui->combo.items, (std::vector<std::string>{"0-0-0 0: ACME    CRW-4012A       1.20",
                                                         "0-0-0 2: ACME    CRW-4012A       1.50"}));
}

// A restart in the demo is only counted, and refused with the reason the
// user is told (how a refused restart is told is the flash session's).
TEST(DemoSystem, RestartIsOnlyRecordedAndExplained) {
  DemoSystem system;
  const RestartResult restart = system.RequestRestart();
  EXPECT_FALSE(restart.requested);
  EXPECT_EQ(restart.problem, "this is the demo, which never restarts the machine");
  EXPECT_EQ(system.RestartsRequested(), 1);
}

}  // namespace
}  // namespace cdflash::demo
