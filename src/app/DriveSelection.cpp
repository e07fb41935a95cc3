// Flash mode at start-up: warn the user, find the drives, keep those the
// package may update and offer them in the drop-down list.

#include "app/AdministratorOffer.h"
#include "app/AppTexts.h"
#include "app/FlashForm.h"
#include "session/StartupTexts.h"
#include "package/PackageDigest.h"
#include "system/SystemServices.h"

namespace cdflash {

void TFlashForm::StartFlashMode() {
  // A damaged flasher would send and verify its damaged image: it ends
  // before it touches a drive.
  if (CheckPackageDigest(package_) == DigestCheck::Damaged) {
    s_.dialogs->Error(kDamagedFlasherText);
    EndStartup();
    return;
  }
  const std::string vendor = package_.VendorText();
  c_.SelectDriveLabel->SetText(DriveLabelText(vendor));

  if (s_.dialogs->WarningYesNo(WarningText(package_)) != Answer::Yes) {
    EndStartup();
    return;
  }
  c_.FileListBox1->SetVisible(false);
  c_.window->SetCaption(vendor + kVersionCaption + package_.ModelText());

  // The device layer reports open errors and a missing library while the
  // drives are found; the form shows them as they come.
  IDialogs& dialogs = *s_.dialogs;
  session_ = std::make_unique<FlashSession>(package_, System(), [&dialogs](const std::string& text, bool error) {
    if (error) {
      dialogs.Error(text);
    } else {
      dialogs.Message(text);
    }
  });
  if (session_->LacksRights()) {
    OfferAdministrator(*s_.dialogs, System());
    EndStartup();
    return;
  }

  std::string errorText = ErrorTextStart(package_);
  session_->FindDrives();
  // The drives that answered, and those left alone after an unanswered
  // commit, which the error text lists with the reason.
  std::vector<const DriveEntry*> drives;
  for (const DriveEntry& entry : session_->Entries()) {
    if (entry.opened || entry.commitUnanswered) drives.push_back(&entry);
  }
  if (drives.empty()) {
    errorText += kNoDriveText;
    c_.ComboBox->SetItemIndex(-1);
    s_.dialogs->Error(errorText);
    EndStartup();
    return;
  }

  errorText += kDetectedDrivesHeading;
  DriveMap.clear();
  for (const DriveEntry* drive : drives) {
    if (drive->commitUnanswered) {
      errorText += drive->Describe() + ": " + drive->refusal + ".\n";
    } else if (drive->refusal.empty() && DriveMap.size() < kMaxOffered) {
      c_.ComboBox->Add(session_->FreshIdentity(*drive));
      DriveMap.push_back(drive);
    } else {
      errorText += session_->FreshIdentity(*drive) + "\n";
    }
  }
  if (c_.ComboBox->Count() == 0) {
    s_.dialogs->Error(errorText);
    EndStartup();
    return;
  }

  c_.ComboBox->SetItemIndex(0);
  ComboBoxChange(c_.window);
}

void TFlashForm::EndStartup() {
  s_.application->PostQuit(0);
  c_.window->Close();
}

}  // namespace cdflash
