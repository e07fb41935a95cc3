#pragma once
// The program's body: application, window, form, event loop. main() passes
// the real form; tests pass their own.

#include "app/FormHandlers.h"
#include "system/SystemServices.h"

namespace cdflash::qtui {

// Creates the application (or uses the one that exists), sets its title,
// creates the window and the form, runs FormCreate before the window is
// shown and then the event loop. A window that FormCreate closed, or whose
// program it ended, is never shown. An exception that escapes start-up is
// shown in the exception box and the window is not shown. Returns 0 in
// every case; nothing is taken from the command line. `system` replaces the
// running system's services (the demo's never restart the machine).
int RunApplication(int argc, char** argv, const FormFactory& makeForm,
                   ISystemServices* system = nullptr);

}  // namespace cdflash::qtui
