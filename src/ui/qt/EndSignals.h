#pragma once
// SIGTERM and SIGHUP (kill, a logout) while the window runs. The handler
// only writes the signal's number into a pipe, which is safe in a signal
// handler; the UI thread reads it through a QSocketNotifier and acts there,
// where the form can stop its run before the commit, or let it finish.

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace cdflash {
class IFormHandlers;
}

namespace cdflash::qtui {

class EndSignals final : public QObject {
 public:
  // `onEnd` runs on the UI thread for the signals received while the object
  // lives; the handlers before it come back when it goes. One at a time.
  explicit EndSignals(std::function<void()> onEnd);
  ~EndSignals() override;
  EndSignals(const EndSignals&) = delete;
  EndSignals& operator=(const EndSignals&) = delete;

 private:
  void Drain();

  int pipe_[2] = {-1, -1};
  std::unique_ptr<QSocketNotifier> notifier_;
  std::function<void()> onEnd_;
};

// The window's answer to such a signal: the form ends as the terminal
// does (TFlashForm::EndRequested), and a box on the screen is closed, as
// if its user had closed it.
void EndWindowOnSignal(IFormHandlers& form);

}  // namespace cdflash::qtui
