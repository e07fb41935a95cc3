#include "ui/cli/Interrupt.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace cdflash::cli {
namespace {

std::atomic<bool> stopRequested{false};
std::function<bool()>* commitSentCheck = nullptr;

void WriteError(const char* text) {
#ifdef _WIN32
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
#else
  const ssize_t ignored = ::write(2, text, std::strlen(text));
  (void)ignored;
#endif
}

#ifdef _WIN32
BOOL WINAPI ConsoleHandler(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  InterruptGuard::OnInterrupt();
  return TRUE;
}
#else
void SignalHandler(int) { InterruptGuard::OnInterrupt(); }
struct sigaction previousAction {};
#endif

}  // namespace

InterruptGuard::InterruptGuard(std::function<bool()> commitSent) {
  stopRequested = false;
  commitSentCheck = new std::function<bool()>(std::move(commitSent));
#ifdef _WIN32
  SetConsoleCtrlHandler(ConsoleHandler, TRUE);
#else
  struct sigaction action {};
  action.sa_handler = SignalHandler;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &previousAction);
#endif
}

InterruptGuard::~InterruptGuard() {
#ifdef _WIN32
  SetConsoleCtrlHandler(ConsoleHandler, FALSE);
#else
  sigaction(SIGINT, &previousAction, nullptr);
#endif
  delete std::exchange(commitSentCheck, nullptr);
}

bool InterruptGuard::StopRequested() { return stopRequested; }

void InterruptGuard::OnInterrupt() {
  if (commitSentCheck != nullptr && (*commitSentCheck)()) {
    WriteError("\nCtrl-C refused: ");
    WriteError(kCommitInProgressText);
    WriteError("\n");
    return;
  }
  if (!stopRequested.exchange(true)) WriteError("\nStopping before the commit...\n");
}

}  // namespace cdflash::cli
