#include "ui/qt/AppServices.h"

#include <QCoreApplication>
#include <QEventLoop>
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

QtUiThread::QtUiThread() : receiver_(std::make_unique<QObject>()) {}

// A job still running when the program ends (the session closes the
// application) is let finish: its questions are still answered meanwhile.
QtUiThread::~QtUiThread() {
  while (running_) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  if (worker_.joinable()) worker_.join();
}

void QtUiThread::Post(std::function<void()> task) {
  QMetaObject::invokeMethod(receiver_.get(), std::move(task), Qt::QueuedConnection);
}

void QtUiThread::Call(const std::function<void()>& task) {
  if (QThread::currentThread() == receiver_->thread()) {
    task();
    return;
  }
  QMetaObject::invokeMethod(receiver_.get(), task, Qt::BlockingQueuedConnection);
}

void QtUiThread::RunInBackground(std::function<void()> job, std::function<void()> finished) {
  if (worker_.joinable()) worker_.join();  // the previous job has ended: its finish was posted
  running_ = true;
  worker_ = std::thread([this, job = std::move(job), finished = std::move(finished)]() mutable {
    job();
    Post(std::move(finished));
    running_ = false;
  });
}

}  // namespace cdflash::qtui
