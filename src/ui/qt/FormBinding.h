#pragma once
// Connects the window's events to the form's handlers. Every handler runs
// guarded: an exception that escapes it is shown in the exception box and
// the event loop goes on.

#include <memory>

#include "app/FormHandlers.h"

namespace cdflash::qtui {

class FlashWindow;

// The program's form: TFlashForm over the package embedded in the program.
std::unique_ptr<IFormHandlers> MakeEmbeddedFlashForm(const FormControls& controls,
                                                     const FormServices& services);

// `form` and `dialogs` must outlive `window`: FormDestroy runs when the
// window is destroyed.
void BindForm(FlashWindow& window, IFormHandlers& form, IDialogs& dialogs);

}  // namespace cdflash::qtui
