#pragma once
// TFlashForm: the program's one window, without any toolkit. It holds what
// the window does: start-up (the warning, the drive list), the reactions to
// the drop-down list, the file list and the button. Flash mode is a
// FlashSession and build mode a BuildSession; a run and a build go through
// the front end's UI thread service, on a worker thread where it has one.

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/Controls.h"
#include "session/BuildSession.h"
#include "session/FlashSession.h"
#include "app/FormView.h"
#include "app/QueuedObserver.h"
#include "package/PackageView.h"

namespace cdflash {


class TFlashForm {
 public:
  TFlashForm(FormControls controls, FormServices services,
             PackageView package = PackageView::Embedded());
  ~TFlashForm();
  TFlashForm(const TFlashForm&) = delete;
  TFlashForm& operator=(const TFlashForm&) = delete;

  // Handlers. `sender` is the control that raised the event (unused).
  void FormCreate(const void* sender = nullptr);
  void FormDestroy(const void* sender = nullptr);
  void ComboBoxChange(const void* sender = nullptr);
  void FileListBox1Click(const void* sender = nullptr);
  void FlashButtonClick(const void* sender = nullptr);
  // The system asks the program to end (a signal, a logout): a run stops
  // before its commit or finishes after it, leaving its record either way,
  // and then the window closes. No box is shown from now on.
  void EndRequested();

  bool InBuildMode() const { return BuildMode; }
  // A flash run or a build is in progress.
  bool Busy() const { return busy_; }
  // The drive the next run updates, if any.
  const DriveEntry* Selected() const { return selected_; }
  // What the last run came to.
  const FlashReport& LastReport() const { return report_; }

 private:
  void StartFlashMode();
  void StartBuildMode();
  // Loads the model table into ComboBox; on failure shows why, posts the
  // quit request and returns false.
  bool RetriveINI();
  void ChooseModel();
  // The clicked BIN file as a full path; empty when none is selected.
  std::string SelectedBinPath() const;
  void StartBuild();
  // Ends the program from FormCreate: quit request with exit code 0, window closed.
  void EndStartup();
  ISystemServices& System() const;
  IUiThread& Ui();

  // A job: the controls start nothing and the window does not close until
  // `finished` has run on the UI thread.
  void RunJob(std::function<void()> job, std::function<void()> finished);
  void EndJob();

  FormControls c_;
  FormServices s_;
  PackageView package_;
  InlineUiThread inlineUi_;
  FormView view_;
  QueuedObserver queued_;

  bool BuildMode = false;
  std::unique_ptr<BuildSession> build_;  // build mode
  std::size_t model_ = 0;                // build mode: the chosen model
  std::string SelectedBinName;           // build mode: the BIN file clicked
  std::string binDirectory_;             // build mode: where the BIN files are listed from
  static constexpr std::size_t kMaxOffered = 24;  // entries of the drop-down list
  std::unique_ptr<FlashSession> session_;         // flash mode
  std::vector<const DriveEntry*> DriveMap;     // the session's entry of each drop-down entry
  const DriveEntry* selected_ = nullptr;
  FlashReport report_;
  CommitGate gate_;  // the run's: a stop asked for races its commit
  bool endRequested_ = false;

  bool busy_ = false;
  bool buttonWasEnabled_ = false;
  bool comboWasEnabled_ = false;
  std::exception_ptr jobError_;
};

}  // namespace cdflash
