#include "app/FlashForm.h"

#include <utility>

#include "app/AppTexts.h"
#include "app/BuildMode.h"
#include "app/FlashMode.h"
#include "app/Guard.h"
#include "system/SystemServices.h"

namespace cdflash {

TFlashForm::TFlashForm(FormControls controls, FormServices services, PackageView package)
    : c_(controls), s_(services), package_(package), view_(c_, s_), queued_(view_, Ui()) {}

TFlashForm::~TFlashForm() = default;

IUiThread& TFlashForm::Ui() { return s_.ui ? *s_.ui : inlineUi_; }

void TFlashForm::FormCreate() {
  if (mode_) mode_->Destroy();
  c_.window->SetCaption(kVersionCaption);
  buildMode_ = package_.IsTemplate();
  FormContext context{c_, s_, package_, s_.system ? *s_.system : SystemServices(), view_, queued_, *this};
  if (buildMode_) {
    mode_ = std::make_unique<BuildMode>(std::move(context));
  } else {
    mode_ = std::make_unique<FlashMode>(std::move(context));
  }
  mode_->Start();
}

// The mode stays: a job that is still to finish refers to it.
void TFlashForm::FormDestroy() {
  if (mode_) mode_->Destroy();
}

void TFlashForm::ComboBoxChange() {
  if (!busy_ && mode_) mode_->ComboBoxChange();
}

void TFlashForm::FileListBox1Click() {
  if (!busy_ && mode_) mode_->FileListBox1Click();
}

void TFlashForm::FlashButtonClick() {
  if (!busy_ && mode_) mode_->FlashButtonClick();
}

void TFlashForm::EndRequested() {
  endRequested_ = true;
  view_.EndUnattended();
  if (!busy_) {
    c_.window->Close();
    return;
  }
  if (mode_) mode_->RequestStop();
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
