#include "app/AdministratorOffer.h"

#include "session/StartupTexts.h"
#include "system/Elevation.h"
#include "system/SystemServices.h"

namespace cdflash {

void OfferAdministrator(IDialogs& dialogs, ISystemServices& system) {
  const std::string program = system.ProgramPath();
  const auto read = [&](const std::string& name) { return system.EnvironmentVariable(name); };
  if (dialogs.WarningYesNo(kNeedsAdministratorText) != Answer::Yes) return;
  const bool packaged = system.FileExists(kPackagedProgram);
  const ElevationResult elevated = system.RunElevated(PkexecCommand(program, read, packaged));
  if (elevated.ran) return;
  dialogs.Error("The flasher could not be started as administrator (" + elevated.problem +
                ").\n\nRun it from a terminal as administrator:\n\n" +
                CommandText(ElevationCommand("sudo", program, read)));
}

}  // namespace cdflash
