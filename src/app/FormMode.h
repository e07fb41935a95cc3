#pragma once
// One of the window's two modes: flash mode (a flasher updates a drive) or
// build mode (a template writes flashers). TFlashForm owns the controls and
// hands each event to its mode; a mode runs its long work as a job of the
// form, which keeps the controls idle and the window open meanwhile.

#include <functional>

#include "app/Controls.h"
#include "app/FormView.h"
#include "flash/FlashObserver.h"
#include "package/PackageView.h"
#include "system/SystemServices.h"

namespace cdflash {

struct DriveEntry;

class IJobRunner {
 public:
  virtual ~IJobRunner() = default;
  // Runs `job` (on a worker thread where the front end has one), then
  // `finished` on the UI thread.
  virtual void RunJob(std::function<void()> job, std::function<void()> finished) = 0;
};

// What the form lends its mode.
struct FormContext {
  FormControls c;
  FormServices s;
  PackageView package;
  ISystemServices& system;
  FormView& view;               // the UI thread's view of a run
  IFlashObserver& observer;     // the same view, for a job's thread
  IJobRunner& jobs;
};

class IFormMode {
 public:
  virtual ~IFormMode() = default;
  virtual void Start() = 0;
  virtual void Destroy() = 0;  // lets go of drives and files; may run twice
  virtual void ComboBoxChange() = 0;
  virtual void FileListBox1Click() = 0;
  virtual void FlashButtonClick() = 0;
  // The program is ending while a job runs.
  virtual void RequestStop() {}
  // The drive the next run updates, if any.
  virtual const DriveEntry* Selected() const { return nullptr; }
};

// Ends the program during start-up: quit request with exit code 0, window closed.
inline void EndStartup(const FormContext& context) {
  context.s.application->PostQuit(0);
  context.c.window->Close();
}

}  // namespace cdflash
