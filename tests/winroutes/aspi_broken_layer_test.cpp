// The ASPI route when the layer cannot be used: missing, without one of its
// entry points, or reporting a failed support status. Nothing is listed;
// only the missing library shows a message, once per probe.

#include "AspiRouteTest.h"
#include "device/Cddrives.h"
#include "device/routes/aspi_win.h"

namespace cdflash::winroutes {
namespace {

using AspiBrokenLayerTest = AspiRouteTest;

constexpr char kLoadFailure[] =
    "Unable to load WNASPI32.DLL !\nYou can down the DLL from "
    "https://en.wikipedia.org/wiki/Advanced_SCSI_Programming_Interface"
    "\n and copy the DLL to system directory.\n\n";

TEST_F(AspiBrokenLayerTest, WithoutTheLibraryEveryProbeShowsTheLoadFailureOnce) {
  layer.emplace("");  // a search path without the layer
  const std::size_t roots = DriveRootCount();
  {
    CDDrives drives;
    EXPECT_EQ(drives.Count(), 0);
    EXPECT_EQ(CDDrive::OpenStatus(), 0x62);
  }
  EXPECT_EQ(AspiLoadFailureText(), kLoadFailure);
  ASSERT_EQ(dialogs.shown.size(), 2 * roots);
  for (const auto& box : dialogs.shown) {
    EXPECT_EQ(box.kind, "Error");
    EXPECT_EQ(box.text, kLoadFailure);
  }
  EXPECT_EQ(CDDrive::MessageText(), kLoadFailure);
}

TEST_F(AspiBrokenLayerTest, MissingSupportEntryGivesStatus61AndReleasesTheLibrary) {
  layer.emplace("no-support");
  {
    CDDrives drives;
    EXPECT_EQ(drives.Count(), 0);
    EXPECT_EQ(CDDrive::OpenStatus(), 0x61);
    EXPECT_FALSE(LayerLoaded());
  }
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(AspiBrokenLayerTest, MissingCommandEntryGivesStatus61AndReleasesTheLibrary) {
  layer.emplace("no-send");
  {
    CDDrives drives;
    EXPECT_EQ(drives.Count(), 0);
    EXPECT_EQ(CDDrive::OpenStatus(), 0x61);
    EXPECT_FALSE(LayerLoaded());
  }
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(AspiBrokenLayerTest, FailedSupportStatusGivesStatus60AndSendsNothing) {
  LayerDirectory& dir = UseSimulator("[Layer]\r\nSupport=E8\r\n" +
                                     DriveSection(0, 0, 0, "ACME", "CRW-4012A", "1.20"));
  {
    CDDrives drives;
    EXPECT_EQ(drives.Count(), 0);
    EXPECT_EQ(CDDrive::OpenStatus(), 0x60);
    EXPECT_FALSE(LayerLoaded());
  }
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_TRUE(dir.Log().empty());
}

}  // namespace
}  // namespace cdflash::winroutes
