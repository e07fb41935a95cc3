#include "ui/win32/Win32ProgressBar.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>

namespace cdflash::win32 {

namespace {
int ToInt(long long value) {
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}
}  // namespace

Win32ProgressBar::Win32ProgressBar(HWND parent, int id, const Bounds& design, HFONT font,
                                   LayoutHost& host)
    : Win32Control(parent, {PROGRESS_CLASSA, PBS_SMOOTH, 0, id}, design, font, host) {
  SetRange(0, 100);
  SendMessageA(hwnd_, PBM_SETSTEP, static_cast<WPARAM>(step_), 0);
}

void Win32ProgressBar::SetRange(long long minimum, long long maximum) {
  SendMessageA(hwnd_, PBM_SETRANGE32, static_cast<WPARAM>(ToInt(minimum)),
               static_cast<LPARAM>(ToInt(maximum)));
}

long long Win32ProgressBar::Minimum() const {
  return static_cast<int>(SendMessageA(hwnd_, PBM_GETRANGE, TRUE, 0));
}

long long Win32ProgressBar::Maximum() const {
  return static_cast<int>(SendMessageA(hwnd_, PBM_GETRANGE, FALSE, 0));
}

void Win32ProgressBar::SetPosition(long long position) {
  const long long low = Minimum();
  const long long high = Maximum();
  const long long clamped = low <= high ? std::clamp(position, low, high) : low;
  SendMessageA(hwnd_, PBM_SETPOS, static_cast<WPARAM>(ToInt(clamped)), 0);
  // Long operations keep the message loop from painting: draw the bar now.
  UpdateWindow(hwnd_);
}

long long Win32ProgressBar::Position() const {
  return static_cast<int>(SendMessageA(hwnd_, PBM_GETPOS, 0, 0));
}

void Win32ProgressBar::SetStep(long long step) {
  step_ = step;
  SendMessageA(hwnd_, PBM_SETSTEP, static_cast<WPARAM>(ToInt(step)), 0);
}

void Win32ProgressBar::StepIt() { SetPosition(Position() + step_); }

void Win32ProgressBar::StepBy(long long delta) { SetPosition(Position() + delta); }

}  // namespace cdflash::win32
