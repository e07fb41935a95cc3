#pragma once
// The screen cursor and the application object, as the form uses them.

#include "app/Controls.h"

namespace cdflash::qtui {

// The hourglass is a state, not a stack: setting it twice and restoring once
// gives the default cursor back.
class WaitCursor final : public ICursor {
 public:
  ~WaitCursor() override;
  void SetHourglass() override;
  void SetDefault() override;

 private:
  bool waiting_ = false;
};

// PostQuit queues the request, so the event loop ends as soon as it starts
// (a request made before the loop runs would otherwise be lost).
class ApplicationService final : public IApplication {
 public:
  void PostQuit(int exitCode) override;
  bool QuitPosted() const { return quitPosted_; }

 private:
  bool quitPosted_ = false;
};

// Sleep on this thread; the restart asks logind to reboot at once, as the
// session's user would from the desktop. The flash procedure relies on no result.
class SystemService final : public ISystem {
 public:
  void Sleep(unsigned milliseconds) override;
  void RequestRestart() override;
};

}  // namespace cdflash::qtui
