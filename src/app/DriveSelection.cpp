// Flash mode at start-up: warn the user, find the drives, keep those the
// package may update and offer them in the drop-down list.

#include "app/AppTexts.h"
#include "app/FlashForm.h"
#include "app/StartupTexts.h"
#include "common/Text.h"
#include "device/Cddrives.h"
#include "device/DeviceMessages.h"

namespace cdflash {

void TFlashForm::StartFlashMode() {
  VendorText = package_.VendorText();
  ModelText = package_.ModelText();
  RequiredIdentity = package_.RequiredIdentity();
  RangeText = package_.RangeText();
  LowerBound = package_.LowerBound();
  UpperBound = package_.UpperBound();

  c_.SelectDriveLabel->SetText(DriveLabelText(VendorText));

  if (s_.dialogs->WarningYesNo(WarningText(package_)) != Answer::Yes) {
    EndStartup();
    return;
  }
  c_.FileListBox1->SetVisible(false);
  c_.window->SetCaption(VendorText + kVersionCaption + ModelText);

  ErrorText_ = ErrorTextStart(package_);

  // The device layer shows its own boxes (open errors, a missing library)
  // while the drives are found.
  SetDeviceDialogs(s_.dialogs);
  Drives = std::make_unique<CDDrives>();
  if (Drives->Count() == 0) {
    ErrorText_ += kNoDriveText;
    c_.ComboBox->SetItemIndex(-1);
    s_.dialogs->Error(ErrorText_);
    EndStartup();
    return;
  }

  ErrorText_ += kDetectedDrivesHeading;
  std::size_t offered = 0;
  for (int i = 0; i < Drives->Count(); ++i) {
    Drives->Select(static_cast<std::int16_t>(i));
    if (CheckCondition() && offered < DriveMap.size()) {
      c_.ComboBox->Add(Drives->Current->GetIdentity());
      DriveMap[offered++] = i;
    } else {
      ErrorText_ += Drives->Current->GetIdentity() + "\n";
    }
  }
  if (c_.ComboBox->Count() == 0) {
    s_.dialogs->Error(ErrorText_);
    EndStartup();
    return;
  }

  c_.ComboBox->SetItemIndex(0);
  Drives->Select(static_cast<std::int16_t>(DriveMap[0]));

  TransferBuffer = std::make_unique<std::uint8_t[]>(kTransferBufferSize);
  CDDrive::SetDataBuffer(TransferBuffer.get(), kTransferBufferSize);

  CheckNewFormatBIN();
  ComboBoxChange(c_.window);
}

void TFlashForm::EndStartup() {
  s_.application->PostQuit(0);
  c_.window->Close();
}

std::uint8_t TFlashForm::CheckCondition() {
  const CDDrive* drive = Drives ? Drives->Current : nullptr;
  if (drive == nullptr) return 0;
  const std::string vendorProduct = drive->VendorProduct();
  const std::string revision = drive->Revision();

  if (package_.IsAnyDrive()) return 1;
  if (vendorProduct != RequiredIdentity) return 0;
  if (package_.IsAnyRevision()) return 1;
  if (CompareOrdinal(revision, LowerBound) < 0 || CompareOrdinal(revision, UpperBound) > 0) {
    return 0;
  }
  return 1;
}

}  // namespace cdflash
