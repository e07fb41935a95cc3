#pragma once
// TFlashForm: the program's one window, without any toolkit. It owns the
// controls and the jobs, and hands each event to the window's mode: a
// flasher opens in flash mode (FlashMode), a template in build mode
// (BuildMode). A run and a build go through the front end's UI thread
// service, on a worker thread where it has one.

#include <exception>
#include <functional>
#include <memory>

#include "app/Controls.h"
#include "app/FormHandlers.h"
#include "app/FormMode.h"
#include "app/FormView.h"
#include "app/QueuedObserver.h"
#include "package/PackageView.h"
#include "session/FlashSession.h"

namespace cdflash {

class TFlashForm final : public IFormHandlers, private IJobRunner {
 public:
  TFlashForm(FormControls controls, FormServices services,
             PackageView package = PackageView::Embedded());
  ~TFlashForm() override;
  TFlashForm(const TFlashForm&) = delete;
  TFlashForm& operator=(const TFlashForm&) = delete;

  void FormCreate() override;
  void FormDestroy() override;
  void ComboBoxChange() override;
  void FileListBox1Click() override;
  void FlashButtonClick() override;
  // A run stops before its commit or finishes after it, leaving its record
  // either way, and then the window closes. No box is shown from now on.
  void EndRequested() override;

  // A flash run or a build is in progress.
  bool Busy() const { return busy_; }
  // The drive the next run updates, if any.
  const DriveEntry* Selected() const { return mode_ ? mode_->Selected() : nullptr; }

 private:
  // A job: the controls start nothing and the window does not close until
  // `finished` has run on the UI thread.
  void RunJob(std::function<void()> job, std::function<void()> finished) override;
  void EndJob();
  IUiThread& Ui();

  FormControls c_;
  FormServices s_;
  PackageView package_;
  InlineUiThread inlineUi_;
  FormView view_;
  QueuedObserver queued_;
  std::unique_ptr<IFormMode> mode_;
  bool buildMode_ = false;
  bool endRequested_ = false;

  bool busy_ = false;
  bool buttonWasEnabled_ = false;
  bool comboWasEnabled_ = false;
  std::exception_ptr jobError_;
};

}  // namespace cdflash
