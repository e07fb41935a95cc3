#pragma once
// TFlashForm: the program's one window, without any toolkit. It holds what
// the window does: start-up (warning, detection, judging, the drive list),
// the reactions to the drop-down list, the file list and the button. The
// flash run is a FlashEngine and a build a FlasherBuilder; both run through
// the front end's UI thread service, on a worker thread where it has one.

#include <array>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>

#include "app/Controls.h"
#include "app/FormView.h"
#include "app/QueuedObserver.h"
#include "builder/ModelTable.h"
#include "package/PackageView.h"

namespace cdflash {

class CDDrive;
class CDDrives;
class DeviceReportBoxes;
class FlashEngine;

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

  static constexpr std::int32_t kTransferBufferSize = 16384;

  bool InBuildMode() const { return BuildMode; }
  // A flash run or a build is in progress.
  bool Busy() const { return busy_; }
  // The drive the next run updates (owned by the drive list), if any.
  CDDrive* Selected() const;

 private:
  void StartFlashMode();
  void StartBuildMode();
  // Loads the model table into ComboBox; on failure shows why, posts the
  // quit request and returns false.
  bool RetriveINI();
  void ChooseModel();
  // Shows the files of binDirectory_ that match binMask_, read anew.
  void ListBinFiles();
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
  ModelTable models_;           // build mode
  std::string SelectedBinName;  // build mode: the BIN file clicked
  std::string binDirectory_;    // build mode: where the BIN files are listed from
  std::string binMask_;         // build mode: the chosen model's BINMask
  std::array<std::int32_t, 24> DriveMap{};  // position in Drives of each drop-down entry
  std::unique_ptr<CDDrives> Drives;
  // The 16 KiB data buffer registered with the device layer.
  std::unique_ptr<std::uint8_t[]> TransferBuffer;
  std::unique_ptr<FlashEngine> engine_;
  std::unique_ptr<DeviceReportBoxes> deviceReports_;

  bool busy_ = false;
  bool buttonWasEnabled_ = false;
  bool comboWasEnabled_ = false;
  std::exception_ptr jobError_;
};

}  // namespace cdflash
