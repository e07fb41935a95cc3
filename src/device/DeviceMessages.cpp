#include "device/DeviceMessages.h"

namespace cdflash {

namespace {
IDialogs* dialogs = nullptr;

std::string& LastText() {
  static std::string text;
  return text;
}
}  // namespace

void SetDeviceDialogs(IDialogs* d) { dialogs = d; }
IDialogs* DeviceDialogs() { return dialogs; }

void ShowDeviceMessage(const std::string& text) {
  LastText() = text;
  if (dialogs != nullptr) dialogs->Message(text);
}

void ShowDeviceError(const std::string& text) {
  LastText() = text;
  if (dialogs != nullptr) dialogs->Error(text);
}

const std::string& LastDeviceMessage() { return LastText(); }

}  // namespace cdflash
