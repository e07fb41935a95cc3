#include "app/AdministratorOffer.h"

#include <cstdlib>

#include "app/StartupTexts.h"
#include "system/Elevation.h"
#include "system/SystemServices.h"

namespace cdflash {

void OfferAdministrator(IDialogs& dialogs, ISystemServices& system) {
  const std::string program = system.ProgramPath();
  const auto read = [](const char* name) { return std::getenv(name); };
  if (dialogs.WarningYesNo(kNeedsAdministratorText) != Answer::Yes) return;
  const ElevationResult elevated = system.RunElevated(ElevationCommand("pkexec", program, read));
  if (elevated.ran) return;
  dialogs.Error("The flasher could not be started as administrator (" + elevated.problem +
                ").\n\nRun it from a terminal as administrator:\n\n" +
                CommandText(ElevationCommand("sudo", program, read)));
}

}  // namespace cdflash
