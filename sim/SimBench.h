#pragma once
// Everything a test needs to run the real CDDrive and CDDrives over simulated
// drives: a SimPlatform put in place of the system's, and a RecordingDialogs
// that receives the device layer's message boxes. On destruction it puts
// back what it replaced and resets the timeout and the data buffer, so the
// next test starts from a clean transport. Destroy drives before the bench.

#include "RecordingDialogs.h"
#include "SimPlatform.h"
#include "device/Cddrive.h"
#include "device/DeviceMessages.h"

namespace cdflash::sim {

class SimBench {
 public:
  explicit SimBench(std::uint32_t platformId = kPlatformWin32Nt,
                    SimRoute::Style style = SimRoute::Style::PassThrough)
      : platform(platformId, style), scope_(platform), previousDialogs_(DeviceReports()) {
    SetDeviceReports(&dialogs);
  }
  ~SimBench() {
    SetDeviceReports(previousDialogs_);
    CDDrive::SetTimeout(60);
    CDDrive::SetDataBuffer(nullptr, 0);
  }
  SimBench(const SimBench&) = delete;
  SimBench& operator=(const SimBench&) = delete;

  SimPlatform platform;
  RecordingDialogs dialogs;

 private:
  ScopedPlatform scope_;
  IDeviceReports* previousDialogs_;
};

}  // namespace cdflash::sim
