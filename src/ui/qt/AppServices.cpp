#include "ui/qt/AppServices.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

namespace cdflash::qtui {

WaitCursor::~WaitCursor() { SetDefault(); }

void WaitCursor::SetHourglass() {
  if (waiting_) return;
  QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  waiting_ = true;
}

void WaitCursor::SetDefault() {
  if (!waiting_) return;
  QGuiApplication::restoreOverrideCursor();
  waiting_ = false;
}

void ApplicationService::PostQuit(int exitCode) {
  quitPosted_ = true;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [exitCode] { QCoreApplication::exit(exitCode); },
      Qt::QueuedConnection);
}

}  // namespace cdflash::qtui
