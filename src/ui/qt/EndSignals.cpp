#include "ui/qt/EndSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <iterator>

#include "app/FormHandlers.h"

namespace cdflash::qtui {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP};
struct sigaction previousActions[std::size(kSignals)] {};
std::atomic<int> signalPipe{-1};
static_assert(std::atomic<int>::is_always_lock_free);

void OnSignal(int number) {
  const int savedErrno = errno;
  const int fd = signalPipe.load();
  const char byte = static_cast<char>(number);
  // A full pipe already holds a signal to act on: the byte may be lost.
  if (fd >= 0 && ::write(fd, &byte, 1) < 0) {
  }
  errno = savedErrno;
}

}  // namespace

EndSignals::EndSignals(std::function<void()> onEnd) : onEnd_(std::move(onEnd)) {
  if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) return;  // the default handlers stay
  notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { Drain(); });
  signalPipe = pipe_[1];
  struct sigaction action {};
  action.sa_handler = OnSignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (std::size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &action, &previousActions[i]);
}

EndSignals::~EndSignals() {
  if (pipe_[0] < 0) return;
  for (std::size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &previousActions[i], nullptr);
  signalPipe = -1;
  notifier_.reset();
  ::close(pipe_[0]);
  ::close(pipe_[1]);
}

void EndSignals::Drain() {
  char bytes[16];
  bool received = false;
  while (::read(pipe_[0], bytes, sizeof bytes) > 0) received = true;
  if (received && onEnd_) onEnd_();
}

void EndWindowOnSignal(IFormHandlers& form) {
  form.EndRequested();
  if (QWidget* box = QApplication::activeModalWidget()) box->close();
}

}  // namespace cdflash::qtui
