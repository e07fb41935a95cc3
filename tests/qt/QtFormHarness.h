#pragma once
// What the Qt tests share: firmware package buffers, a platform without
// drives, and the real window with the real form and message boxes.

#include <QRect>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "app/Controls.h"
#include "app/FlashForm.h"
#include "device/platform/Platform.h"
#include "ui/qt/AppServices.h"
#include "ui/qt/FlashWindow.h"
#include "ui/qt/FormBinding.h"
#include "ui/qt/MessageBoxes.h"

namespace cdflash::qtui::test {

// A package whose slot begins with `slotStart`: "BLNK" for a template, or
// anything else for a flasher that accepts any drive at any revision.
class TestPackage {
 public:
  explicit TestPackage(const std::string& slotStart);
  PackageView View() const;

 private:
  std::vector<std::uint8_t> bytes_;
};

// A machine without CD drives, for the whole life of the object.
class NoDrivesPlatform final : public IPlatform {
 public:
  NoDrivesPlatform();
  ~NoDrivesPlatform() override;
  std::uint32_t PlatformId() override { return kPlatformLinux; }
  IRoute& RouteFor(std::uint32_t platformId) override;
  std::vector<DriveAddress> DriveAddresses(std::uint32_t) override { return {}; }

 private:
  IPlatform* previous_;
  std::unique_ptr<IRoute> route_;
};

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
  void DestroyWindow();

 private:
  MessageBoxes dialogs_;
  WaitCursor cursor_;
  ApplicationService application_;
  QtUiThread ui_;
  std::unique_ptr<TFlashForm> form_;
  std::unique_ptr<FlashWindow> window_;
};

// Runs the event loop until it has taken every posted event, a posted quit
// request included. Only a running loop clears a quit request: one merely
// dispatched outside it would end every later modal box at once.
void RunEventLoopBriefly();

}  // namespace cdflash::qtui::test
