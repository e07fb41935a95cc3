// Flash mode at start-up: warn the user, find the drives, keep those the
// package may update and offer them in the drop-down list.

#include <cstdlib>

#include "app/AppTexts.h"
#include "app/DeviceReportBoxes.h"
#include "app/FlashForm.h"
#include "app/StartupTexts.h"
#include "common/Text.h"
#include "device/Cddrives.h"
#include "device/DeviceMessages.h"
#include "device/platform/Platform.h"
#include "flash/FlashEngine.h"
#include "system/Elevation.h"
#include "system/SystemServices.h"

namespace cdflash {

void TFlashForm::StartFlashMode() {
  const std::string vendor = package_.VendorText();
  c_.SelectDriveLabel->SetText(DriveLabelText(vendor));

  if (s_.dialogs->WarningYesNo(WarningText(package_)) != Answer::Yes) {
    EndStartup();
    return;
  }
  c_.FileListBox1->SetVisible(false);
  c_.window->SetCaption(vendor + kVersionCaption + package_.ModelText());

  if (CurrentPlatform().CheckAccess().LacksRights()) {
    OfferAdministrator();
    EndStartup();
    return;
  }

  std::string errorText = ErrorTextStart(package_);

  // The device layer reports open errors and a missing library while the
  // drives are found; the form shows them as they come.
  deviceReports_ = std::make_unique<DeviceReportBoxes>(*s_.dialogs);
  SetDeviceReports(deviceReports_.get());
  Drives = std::make_unique<CDDrives>();
  if (Drives->Count() == 0) {
    errorText += kNoDriveText;
    c_.ComboBox->SetItemIndex(-1);
    s_.dialogs->Error(errorText);
    EndStartup();
    return;
  }

  errorText += kDetectedDrivesHeading;
  std::size_t offered = 0;
  for (int i = 0; i < Drives->Count(); ++i) {
    Drives->Select(static_cast<std::int16_t>(i));
    if (CheckCondition() && offered < DriveMap.size()) {
      c_.ComboBox->Add(Drives->Current->GetIdentity());
      DriveMap[offered++] = i;
    } else {
      errorText += Drives->Current->GetIdentity() + "\n";
    }
  }
  if (c_.ComboBox->Count() == 0) {
    s_.dialogs->Error(errorText);
    EndStartup();
    return;
  }

  c_.ComboBox->SetItemIndex(0);
  Drives->Select(static_cast<std::int16_t>(DriveMap[0]));

  TransferBuffer = std::make_unique<std::uint8_t[]>(kTransferBufferSize);
  CDDrive::SetDataBuffer(TransferBuffer.get(), kTransferBufferSize);

  engine_ = std::make_unique<FlashEngine>(package_, queued_, System());
  ComboBoxChange(c_.window);
}

// Drives exist, but this process may not send them firmware commands: say
// so before anything is sent, and offer to start again as administrator.
void TFlashForm::OfferAdministrator() {
  ISystemServices& system = System();
  const std::string program = system.ProgramPath();
  if (s_.dialogs->WarningYesNo(kNeedsAdministratorText) != Answer::Yes) return;
  const ElevationResult elevated =
      system.RunElevated(ElevationCommand("pkexec", program, [](const char* name) { return std::getenv(name); }));
  if (elevated.ran) return;
  const std::string instead =
      CommandText(ElevationCommand("sudo", program, [](const char* name) { return std::getenv(name); }));
  s_.dialogs->Error("The flasher could not be started as administrator (" + elevated.problem +
                    ").\n\nRun it from a terminal as administrator:\n\n" + instead);
}

void TFlashForm::EndStartup() {
  s_.application->PostQuit(0);
  c_.window->Close();
}

bool TFlashForm::CheckCondition() const {
  const CDDrive* drive = Drives ? Drives->Current : nullptr;
  if (drive == nullptr) return false;
  if (package_.IsAnyDrive()) return true;
  if (drive->VendorProduct() != package_.RequiredIdentity()) return false;
  if (package_.IsAnyRevision()) return true;
  const std::string revision = drive->Revision();
  return CompareOrdinal(revision, package_.LowerBound()) >= 0 &&
         CompareOrdinal(revision, package_.UpperBound()) <= 0;
}

}  // namespace cdflash
