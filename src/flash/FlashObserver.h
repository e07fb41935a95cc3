#pragma once
// What the flash engine tells its front end while it runs: the phase caption
// and how far the phase has come (IProgressObserver), the questions and messages for
// the user, whether it is busy, and the drive's identity after the commit.
// The engine may call it from a worker thread: a front end that shows these
// on another thread forwards them (see app/QueuedObserver.h).

#include <string>

#include "common/Answer.h"
#include "common/ProgressObserver.h"

namespace cdflash {

// The look of a question: a confirmation ("Confirm", question icon) or a
// warning ("Warning", warning icon); both with Yes and No. The restart offer
// is a confirmation of its own (No the default), and the questions before
// taking a drive to an older revision and before a run on battery warnings
// of their own, so that an unattended run can tell them apart.
enum class QuestionKind { Confirm, Warning, Downgrade, OnBattery, ConfirmRestart };

// The look of a message with one OK button: a plain box (the application's
// title) or a warning ("Warning", warning icon).
enum class NoticeKind { Plain, Warning };

class IFlashObserver : public IProgressObserver {
 public:
  /// Asks the user and waits for the answer; only Answer::Yes is consent.
  virtual Answer Ask(QuestionKind kind, const std::string& text) = 0;
  /// Tells the user and waits until the box is closed.
  virtual void Tell(NoticeKind kind, const std::string& text) = 0;
  /// Busy: the hourglass cursor; not busy: the default cursor.
  virtual void SetBusy(bool busy) = 0;
  /// The drive answered a fresh INQUIRY after the commit with `identity`.
  virtual void DriveIdentityChanged(const std::string& identity) = 0;
};

}  // namespace cdflash
