// The ASPI route when the layer cannot be used: missing, without one of its
// entry points, or reporting a failed support status. Nothing is listed;
// only the missing library shows a message, once per probe.

#include "AspiRouteTest.h"
#include "device/Cddrives.h"

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
  ASSERT_EQ(dialogs.shown.size(), 2 * roots);
  for (const auto& box : dialogs.shown) {
    EXPECT_EQ(box.kind, "Error");
    EXPECT_EQ(box.text, kLoadFailure);
  }
  EXPECT_EQ(CDDrive::MessageText(), kLoadFailure);
}

// A layer that loads but cannot be used: its status, the library released,
// no message, and no request sent.
TEST_F(AspiBrokenLayerTest, UnusableLayerGivesItsStatusAndIsReleasedSilently) {
  const struct {
    const char* layer;
    std::string ini;
    int status;
  } rows[] = {
      {"no-support", "", 0x61},
      {"no-send", "", 0x61},
      {"sim", "[Layer]\r\nSupport=E8\r\n" + DriveSection(0, 0, 0, "ACME", "CRW-4012A", "1.20"), 0x60},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.layer);
    layer.emplace(row.layer, row.ini);
    {
      CDDrives drives;
      EXPECT_EQ(drives.Count(), 0);
      EXPECT_EQ(CDDrive::OpenStatus(), row.status);
      EXPECT_FALSE(LayerLoaded());
    }
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(layer->Log().empty());
    layer.reset();
  }
}

}  // namespace
}  // namespace cdflash::winroutes
