#include "ui/qt/AppServices.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QThread>
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

void SystemService::Sleep(unsigned milliseconds) { QThread::msleep(milliseconds); }

void SystemService::RequestRestart() {
  QDBusInterface logind(QStringLiteral("org.freedesktop.login1"),
                        QStringLiteral("/org/freedesktop/login1"),
                        QStringLiteral("org.freedesktop.login1.Manager"), QDBusConnection::systemBus());
  if (logind.isValid()) logind.call(QDBus::NoBlock, QStringLiteral("Reboot"), false);
}

}  // namespace cdflash::qtui
