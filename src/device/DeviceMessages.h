#pragma once
// What the device layer has to tell the user while it opens devices (open
// errors, a missing ASPI library) goes to one process-wide receiver, set by
// the caller that shows it (the window, a test). Without one it is only kept
// as the last message text.

#include <string>

namespace cdflash {

class IDeviceReports {
 public:
  virtual ~IDeviceReports() = default;
  /// A plain message for a box with one OK button.
  virtual void DeviceMessage(const std::string& text) = 0;
  /// An error for an error box with one OK button.
  virtual void DeviceError(const std::string& text) = 0;
};

/// Sets the receiver of device reports; null drops them.
void SetDeviceReports(IDeviceReports* reports);
IDeviceReports* DeviceReports();

void ShowDeviceMessage(const std::string& text);
void ShowDeviceError(const std::string& text);

/// The text of the last report made through the two calls above.
const std::string& LastDeviceMessage();

}  // namespace cdflash
