#include "app/FlashForm.h"

#include <utility>

#include "app/AppTexts.h"
#include "app/Guard.h"
#include "system/SystemServices.h"

namespace cdflash {

TFlashForm::TFlashForm(FormControls controls, FormServices services, PackageView package)
    : c_(controls), s_(services), package_(package), view_(c_, s_), queued_(view_, Ui()) {}

TFlashForm::~TFlashForm() = default;

ISystemServices& TFlashForm::System() const { return s_.system ? *s_.system : SystemServices(); }

IUiThread& TFlashForm::Ui() { return s_.ui ? *s_.ui : inlineUi_; }

void TFlashForm::FormCreate(const void*) {
  session_.reset();
  selected_ = nullptr;
  c_.window->SetCaption(kVersionCaption);

  BuildMode = package_.IsTemplate();
  if (BuildMode) {  // the controls keep the positions of the design
    StartBuildMode();
    return;
  }

  // Flash mode: the group box, progress bar and button move up into the
  // place of the file list, which is hidden once the user confirms.
  const int shift = c_.FileListBox1->GetBounds().height;
  for (IControl* control : {static_cast<IControl*>(c_.GroupBox2),
                            static_cast<IControl*>(c_.ProgressBar),
                            static_cast<IControl*>(c_.FlashButton)}) {
    control->SetTop(control->GetBounds().top - shift);
  }
  StartFlashMode();
}

void TFlashForm::FormDestroy(const void*) {
  build_.reset();
  selected_ = nullptr;
  DriveMap.clear();
  session_.reset();  // closes every drive and lets go of the data buffer
}

void TFlashForm::ComboBoxChange(const void*) {
  if (busy_) return;
  if (BuildMode) {
    ChooseModel();
    return;
  }
  const int k = c_.ComboBox->ItemIndex();
  if (!session_ || k < 0 || k >= c_.ComboBox->Count() || k >= static_cast<int>(DriveMap.size())) return;
  selected_ = DriveMap[static_cast<std::size_t>(k)];
}

void TFlashForm::FlashButtonClick(const void*) {
  if (busy_) return;
  if (BuildMode) {
    StartBuild();
    return;
  }
  if (!session_ || selected_ == nullptr) return;
  view_.SetDriveEntry(c_.ComboBox->ItemIndex());
  gate_.Reset();
  RunJob([this, entry = selected_] { report_ = session_->Run(*entry, queued_, {&gate_, {}, {}}); },
         [this, listed = selected_->identity] {
           // A drive that changed since it was listed shows as it is now
           // (after a commit the engine has shown its new identity).
           if (report_.identityAfter.empty() && !report_.identityBefore.empty() && report_.identityBefore != listed) {
             view_.DriveIdentityChanged(report_.identityBefore);
           }
         });
}

void TFlashForm::EndRequested() {
  endRequested_ = true;
  view_.EndUnattended();
  if (!busy_) {
    c_.window->Close();
    return;
  }
  gate_.RequestStop();  // refused once the commit is decided: the run finishes
}

void TFlashForm::RunJob(std::function<void()> job, std::function<void()> finished) {
  busy_ = true;
  buttonWasEnabled_ = c_.FlashButton->Enabled();
  comboWasEnabled_ = c_.ComboBox->Enabled();
  c_.FlashButton->SetEnabled(false);
  c_.ComboBox->SetEnabled(false);
  c_.window->SetCloseBlocked(true);
  Ui().RunInBackground(
      [this, job = std::move(job)] {
        // Nothing may escape a worker thread: the error is shown on the UI thread.
        try {
          job();
        } catch (...) {
          jobError_ = std::current_exception();
        }
      },
      [this, finished = std::move(finished)] {
        try {
          finished();
        } catch (...) {
          if (!jobError_) jobError_ = std::current_exception();
        }
        EndJob();
        // Shown here as the message loop shows a handler's: this may run
        // from the loop itself, where nothing may escape.
        if (jobError_) {
          RunGuarded(*s_.dialogs,
                     [error = std::exchange(jobError_, nullptr)] { std::rethrow_exception(error); });
        }
      });
}

void TFlashForm::EndJob() {
  c_.window->SetCloseBlocked(false);
  c_.FlashButton->SetEnabled(buttonWasEnabled_);
  c_.ComboBox->SetEnabled(comboWasEnabled_);
  busy_ = false;
  if (endRequested_) c_.window->Close();
}

}  // namespace cdflash
