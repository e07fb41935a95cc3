#include "device/DeviceMessages.h"

namespace cdflash {

namespace {
IDeviceReports* receiver = nullptr;

std::string& LastText() {
  static std::string text;
  return text;
}
}  // namespace

void SetDeviceReports(IDeviceReports* reports) { receiver = reports; }
IDeviceReports* DeviceReports() { return receiver; }

void ShowDeviceMessage(const std::string& text) {
  LastText() = text;
  if (receiver != nullptr) receiver->DeviceMessage(text);
}

void ShowDeviceError(const std::string& text) {
  LastText() = text;
  if (receiver != nullptr) receiver->DeviceError(text);
}

const std::string& LastDeviceMessage() { return LastText(); }

}  // namespace cdflash
