#pragma once
// Connects the window's events to the form's handlers. Every handler runs
// guarded: an exception that escapes it is shown in the exception box and
// the event loop goes on.

namespace cdflash {
class IDialogs;
}

namespace cdflash::qtui {

class FlashWindow;
class IFormHandlers;

// `form` and `dialogs` must outlive `window`: FormDestroy runs when the
// window is destroyed.
void BindForm(FlashWindow& window, IFormHandlers& form, IDialogs& dialogs);

}  // namespace cdflash::qtui
