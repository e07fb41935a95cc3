#pragma once
// The smooth progress bar (PROGRESS_CLASS, PBS_SMOOTH). Range and position go
// through the 32-bit messages: an image length of 0x50000 does not fit the
// 16 bits of PBM_SETRANGE. Positions are clamped to the range; stepping past
// the maximum stops there instead of wrapping round as PBM_STEPIT does.

#include "ui/win32/Win32Control.h"

namespace cdflash::win32 {

class Win32ProgressBar final : public Win32Control, public IProgressBar {
 public:
  Win32ProgressBar(HWND parent, int id, const Bounds& design, HFONT font, LayoutHost& host);

  void SetRange(long long minimum, long long maximum) override;
  long long Minimum() const override;
  long long Maximum() const override;
  void SetPosition(long long position) override;
  long long Position() const override;
  void SetStep(long long step) override;
  long long Step() const override { return step_; }
  void StepIt() override;
  void StepBy(long long delta) override;

 private:
  long long step_ = 10;
};

}  // namespace cdflash::win32
