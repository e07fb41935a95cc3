// Flash mode at start-up: warn the user, find the drives, keep those the
// package may update and offer them in the drop-down list.

#include "app/AdministratorOffer.h"
#include "app/AppTexts.h"
#include "app/DeviceReportBoxes.h"
#include "app/DriveJudgement.h"
#include "app/FlashForm.h"
#include "app/StartupTexts.h"
#include "device/Cddrives.h"
#include "device/DeviceMessages.h"
#include "device/platform/Platform.h"
#include "flash/FlashEngine.h"
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
    OfferAdministrator(*s_.dialogs, System());
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
    if (CheckCondition(package_, *Drives->Current) == DriveVerdict::Accepted &&
        offered < DriveMap.size()) {
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

void TFlashForm::EndStartup() {
  s_.application->PostQuit(0);
  c_.window->Close();
}

}  // namespace cdflash
