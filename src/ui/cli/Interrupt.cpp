#include "ui/cli/Interrupt.h"

#include "session/FlashSession.h"
#include "ui/cli/StandardStreams.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <iterator>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace cdflash::cli {
namespace {

std::atomic<CommitGate*> activeGate{nullptr};
std::atomic<bool> runOver{true};

// Standard error once: a reader that left is not written to again.
void WriteError(const char* text) {
  if (standardErrorGone) return;
#ifdef _WIN32
  DWORD written = 0;
  const bool failed =
      !WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
#else
  const bool failed = ::write(2, text, std::strlen(text)) < 0;
#endif
  if (failed) standardErrorGone = true;
}

#ifdef _WIN32
// The system ends the process soon after a close event's handler returns
// (about five seconds after the window closed): the handler waits that long
// for the run to stop, or to finish its commit.
constexpr DWORD kCloseGraceMs = 4500;

BOOL WINAPI ConsoleHandler(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      InterruptGuard::OnInterrupt();
      return TRUE;
    case CTRL_CLOSE_EVENT:
      InterruptGuard::OnInterrupt();
      for (DWORD waited = 0; !runOver && waited < kCloseGraceMs; waited += 50) Sleep(50);
      return TRUE;
    default:
      return FALSE;
  }
}
#else
// A closed output pipe is none of them: output that cannot be written
// changes nothing of the run (StandardStreams.h).
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previousActions[std::size(kSignals)] {};

void SignalHandler(int) { InterruptGuard::OnInterrupt(); }
#endif

}  // namespace

InterruptGuard::InterruptGuard(CommitGate& gate) {
  gate.Reset();
  activeGate = &gate;
  runOver = false;
#ifdef _WIN32
  SetConsoleCtrlHandler(ConsoleHandler, TRUE);
#else
  struct sigaction action {};
  action.sa_handler = SignalHandler;
  sigemptyset(&action.sa_mask);
  for (std::size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &action, &previousActions[i]);
#endif
}

InterruptGuard::~InterruptGuard() {
#ifdef _WIN32
  SetConsoleCtrlHandler(ConsoleHandler, FALSE);
#else
  for (std::size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &previousActions[i], nullptr);
#endif
  activeGate = nullptr;
  runOver = true;
}

void InterruptGuard::OnInterrupt() {
  CommitGate* gate = activeGate;
  if (gate == nullptr) return;
  switch (gate->RequestStop()) {
    case CommitGate::StopAnswer::Stopping:
      WriteError("\nStopping before the commit...\n");
      break;
    case CommitGate::StopAnswer::AlreadyStopping:
      break;
    case CommitGate::StopAnswer::TooLate:
      WriteError("\nStop refused: ");
      WriteError(kCommitInProgressText);
      WriteError("\n");
      break;
  }
}

}  // namespace cdflash::cli
