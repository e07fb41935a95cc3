#include "AspiRouteTest.h"

#include <windows.h>

#include "common/Text.h"
#include "device/DeviceMessages.h"
#include "device/platform/Platform.h"

namespace cdflash::winroutes {

void AspiRouteTest::SetUp() {
  ASSERT_EQ(SystemPlatform().PlatformId(), kPlatformWin32Windows)
      << "these tests need Wine's Windows 9x mode for this program (the winroutes.win98_mode fixture)";
  ASSERT_FALSE(LayerLoaded()) << "an earlier test left the layer loaded";
  SetDeviceReports(&dialogs);
}

void AspiRouteTest::TearDown() {
  CDDrive::SetTimeout(60);
  CDDrive::SetDataBuffer(nullptr, 0);
  EXPECT_EQ(CDDrive::OpenCount(), 0) << "a test left a drive open";
  sim::RecordingDialogs quiet;
  SetDeviceReports(&quiet);
  { CDDrive nobody(' ', 0xFF, 0xFF, 0); }
  SetDeviceReports(nullptr);
  // A deferred completion's thread holds the layer until it has ended.
  for (int wait = 0; wait < 100 && LayerLoaded(); ++wait) Sleep(20);
  EXPECT_FALSE(LayerLoaded()) << "the layer stayed loaded";
  layer.reset();
}

LayerDirectory& AspiRouteTest::UseSimulator(const std::string& ini) {
  layer.emplace("sim", ini);
  return *layer;
}

std::int32_t ReadBuffer(CDDrive& drive, std::uint32_t offset, std::int32_t length) {
  return Send(drive, ReadBufferCommand(offset, static_cast<std::uint32_t>(length)), kDataIn, length);
}

std::int32_t WriteBuffer(CDDrive& drive, std::uint32_t offset, std::int32_t length) {
  return Send(drive, WriteBufferCommand(offset, static_cast<std::uint32_t>(length), kControlData), kDataOut, length);
}

std::string DriveSection(int index, int hostAdapter, int target, const std::string& vendor,
                         const std::string& product, const std::string& revision,
                         const std::string& extra) {
  return Format("[Drive%d]\r\nHostAdapter=%d\r\nTarget=%d\r\nVendor=%s\r\nProduct=%s\r\nRevision=%s\r\n",
                index, hostAdapter, target, vendor.c_str(), product.c_str(), revision.c_str()) +
         extra;
}

}  // namespace cdflash::winroutes
