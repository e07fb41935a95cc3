#pragma once
// What the Qt tests share: a firmware package, and the real window with the
// real form and message boxes.

#include <memory>
#include <string>

#include "app/Controls.h"
#include "app/FlashForm.h"
#include "ui/qt/AppServices.h"
#include "ui/qt/FlashWindow.h"
#include "ui/qt/FormBinding.h"
#include "ui/qt/MessageBoxes.h"
#include "support/TestPackage.h"

namespace cdflash::qtui::test {

// A package whose slot begins with `slotStart`: "BLNK" for a template, or
// anything else for a flasher, firmware 2.00, for any drive at any revision.
inline cdflash::test::TestPackage AnyDrivePackage(const std::string& slotStart) {
  cdflash::test::TestPackage p;
  p.Model("TEST-RW 1").Inquiry("--ANY   DRIVE").FwRange("----_----").Vendor("TESTVENDOR");
  p.Revision("2.00.").SetSlot(0, slotStart);
  return p;
}

// The window, TFlashForm over `package` and the real services (a flash run
// or a build on a worker thread), bound the way the program binds them.
// Destroying the harness destroys the window first, which runs FormDestroy.
class QtForm {
 public:
  explicit QtForm(const PackageView& package, ISystemServices* system = nullptr);
  ~QtForm();

  FlashWindow& Window() { return *window_; }
  TFlashForm& Form() { return *form_; }
  IFormHandlers& Handlers() { return *form_; }
  ApplicationService& Application() { return application_; }

 private:
  MessageBoxes dialogs_;
  WaitCursor cursor_;
  ApplicationService application_;
  QtUiThread ui_;
  std::unique_ptr<TFlashForm> form_;
  std::unique_ptr<FlashWindow> window_;
};

}  // namespace cdflash::qtui::test
