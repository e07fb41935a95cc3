#include "app/FlashMode.h"

#include "app/AdministratorOffer.h"
#include "app/AppTexts.h"
#include "app/FormLayout.h"
#include "session/StartupTexts.h"

namespace cdflash {

void FlashMode::Start() {
  session_.reset();
  selected_ = nullptr;
  MoveUpIntoFileListPlace(x_.c);
  // A damaged flasher would send and verify its damaged image: it ends
  // before it touches a drive.
  if (FlasherIsDamaged(x_.package)) {
    x_.s.dialogs->Error(kDamagedFlasherText);
    EndStartup(x_);
    return;
  }
  const std::string vendor = x_.package.VendorText();
  x_.c.SelectDriveLabel->SetText(DriveLabelText(vendor));

  if (x_.s.dialogs->WarningYesNo(WarningText(x_.package)) != Answer::Yes) {
    EndStartup(x_);
    return;
  }
  x_.c.FileListBox1->SetVisible(false);
  x_.c.window->SetCaption(vendor + kVersionCaption + x_.package.ModelText());
  if (OpenSession()) OfferDrives();
}

bool FlashMode::OpenSession() {
  // The device layer reports open errors and a missing library while the
  // drives are found; the form shows them as they come.
  IDialogs& dialogs = *x_.s.dialogs;
  session_ = std::make_unique<FlashSession>(x_.package, x_.system, [&dialogs](const std::string& text, bool error) {
    if (error) {
      dialogs.Error(text);
    } else {
      dialogs.Message(text);
    }
  });
  if (session_->LacksRights()) {
    OfferAdministrator(dialogs, x_.system);
    EndStartup(x_);
    return false;
  }
  return true;
}

void FlashMode::OfferDrives() {
  std::string errorText = ErrorTextStart(x_.package);
  session_->FindDrives();
  // The drives that answered, and those left alone after an unanswered
  // commit, which the error text lists with the reason.
  std::vector<const DriveEntry*> drives;
  for (const DriveEntry& entry : session_->Entries()) {
    if (entry.opened || entry.commitUnanswered) drives.push_back(&entry);
  }
  if (drives.empty()) {
    errorText += kNoDriveText;
    x_.c.ComboBox->SetItemIndex(-1);
    x_.s.dialogs->Error(errorText);
    EndStartup(x_);
    return;
  }

  errorText += kDetectedDrivesHeading;
  DriveMap.clear();
  for (const DriveEntry* drive : drives) {
    if (drive->commitUnanswered) {
      errorText += drive->Describe() + ": " + drive->refusal + ".\n";
    } else if (drive->refusal.empty() && DriveMap.size() < kMaxOffered) {
      x_.c.ComboBox->Add(session_->FreshIdentity(*drive));
      DriveMap.push_back(drive);
    } else {
      errorText += session_->FreshIdentity(*drive) + "\n";
    }
  }
  if (x_.c.ComboBox->Count() == 0) {
    x_.s.dialogs->Error(errorText);
    EndStartup(x_);
    return;
  }

  x_.c.ComboBox->SetItemIndex(0);
  ComboBoxChange();
}

void FlashMode::Destroy() {
  selected_ = nullptr;
  DriveMap.clear();
  session_.reset();  // closes every drive and lets go of the data buffer
}

void FlashMode::ComboBoxChange() {
  const int k = x_.c.ComboBox->ItemIndex();
  if (!session_ || k < 0 || k >= x_.c.ComboBox->Count() || k >= static_cast<int>(DriveMap.size())) return;
  selected_ = DriveMap[static_cast<std::size_t>(k)];
}

void FlashMode::FlashButtonClick() {
  if (!session_ || selected_ == nullptr) return;
  x_.view.SetDriveEntry(x_.c.ComboBox->ItemIndex());
  gate_.Reset();
  x_.jobs.RunJob(
      [this, entry = selected_] { report_ = session_->Run(*entry, x_.observer, {&gate_, {}, {}}); },
      [this, listed = selected_->identity] {
        // A drive that changed since it was listed shows as it is now
        // (after a commit the engine has shown its new identity).
        if (report_.identityAfter.empty() && !report_.identityBefore.empty() &&
            report_.identityBefore != listed) {
          x_.view.DriveIdentityChanged(report_.identityBefore);
        }
      });
}

}  // namespace cdflash
