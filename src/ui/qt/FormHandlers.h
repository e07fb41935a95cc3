#pragma once
// The handlers the window's events run, behind one small interface so that
// the event plumbing can be exercised with handlers of any behaviour.
// FlashFormHandlers forwards them to TFlashForm.

#include <functional>
#include <memory>

#include "app/Controls.h"
#include "app/FlashForm.h"

namespace cdflash::qtui {

class IFormHandlers {
 public:
  virtual ~IFormHandlers() = default;
  virtual void FormCreate() = 0;
  virtual void FormDestroy() = 0;
  virtual void ComboBoxChange() = 0;
  virtual void FileListBox1Click() = 0;
  virtual void FlashButtonClick() = 0;
  // The system asks the program to end (SIGTERM, SIGHUP).
  virtual void EndRequested() {}
};

class FlashFormHandlers final : public IFormHandlers {
 public:
  explicit FlashFormHandlers(std::unique_ptr<TFlashForm> form) : form_(std::move(form)) {}

  TFlashForm& Form() { return *form_; }

  void FormCreate() override { form_->FormCreate(); }
  void FormDestroy() override { form_->FormDestroy(); }
  void ComboBoxChange() override { form_->ComboBoxChange(); }
  void FileListBox1Click() override { form_->FileListBox1Click(); }
  void FlashButtonClick() override { form_->FlashButtonClick(); }
  void EndRequested() override { form_->EndRequested(); }

 private:
  std::unique_ptr<TFlashForm> form_;
};

// Makes the form over the window's controls and the application's services.
using FormFactory =
    std::function<std::unique_ptr<IFormHandlers>(const FormControls&, const FormServices&)>;

// The program's form: TFlashForm over the package embedded in the program.
std::unique_ptr<IFormHandlers> MakeEmbeddedFlashForm(const FormControls& controls,
                                                     const FormServices& services);

}  // namespace cdflash::qtui
