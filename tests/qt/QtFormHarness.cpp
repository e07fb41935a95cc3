#include "QtFormHarness.h"

#include <QApplication>
#include <QTimer>

namespace cdflash::qtui::test {

QtForm::QtForm(const PackageView& package, ISystemServices* system)
    : window_(std::make_unique<FlashWindow>()) {
  const FormServices services{&dialogs_, &cursor_, &application_, system, &ui_};
  form_ = std::make_unique<TFlashForm>(window_->Controls(), services, package);
  BindForm(*window_, *form_, dialogs_);
}

// The window goes first (it runs FormDestroy); then the event loop runs once
// to take every posted event, a posted quit request included. Only a running loop clears a quit request: one merely
// dispatched outside it would end every later modal box at once.
QtForm::~QtForm() {
  window_.reset();
  QTimer stop;
  stop.setSingleShot(true);
  QObject::connect(&stop, &QTimer::timeout, [] { QCoreApplication::exit(0); });
  stop.start(0);
  QApplication::exec();
}

}  // namespace cdflash::qtui::test
