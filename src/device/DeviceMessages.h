#pragma once
// The message boxes the device layer shows itself (open errors, a missing
// ASPI library) go to one process-wide dialogs service, set by the front end
// or by a test. Without one they are only kept as the last message text.

#include <string>

#include "app/Controls.h"

namespace cdflash {

/// Sets the dialogs service for device messages; null shows nothing.
void SetDeviceDialogs(IDialogs* dialogs);
IDialogs* DeviceDialogs();

/// A plain message box with one OK button.
void ShowDeviceMessage(const std::string& text);
/// An error box with one OK button.
void ShowDeviceError(const std::string& text);

/// The text of the last message shown through the two calls above.
const std::string& LastDeviceMessage();

}  // namespace cdflash
