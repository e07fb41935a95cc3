#pragma once
// For a flasher that may not send firmware commands (Linux without
// CAP_SYS_RAWIO): say so, offer to start it again as administrator through
// pkexec, and when that cannot be, show the command to run instead.

#include "app/Controls.h"

namespace cdflash {

class ISystemServices;

void OfferAdministrator(IDialogs& dialogs, ISystemServices& system);

}  // namespace cdflash
