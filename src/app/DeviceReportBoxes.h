#pragma once
// The device layer's reports, shown in the form's dialogs as they come.

#include "app/Controls.h"
#include "device/DeviceMessages.h"

namespace cdflash {

class DeviceReportBoxes final : public IDeviceReports {
 public:
  explicit DeviceReportBoxes(IDialogs& dialogs) : dialogs_(dialogs) {}
  void DeviceMessage(const std::string& text) override { dialogs_.Message(text); }
  void DeviceError(const std::string& text) override { dialogs_.Error(text); }

 private:
  IDialogs& dialogs_;
};

}  // namespace cdflash
