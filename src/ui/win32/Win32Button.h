#pragma once
// The push button (BUTTON, BS_PUSHBUTTON). The window turns BN_CLICKED into
// FlashButtonClick.

#include "ui/win32/Win32Control.h"

namespace cdflash::win32 {

class Win32Button final : public Win32Control, public IButton {
 public:
  Win32Button(HWND parent, int id, const Bounds& design, const std::string& caption, HFONT font,
              LayoutHost& host);

  std::string Caption() const override;
  void SetCaption(const std::string& caption) override;
  bool Enabled() const override;
  void SetEnabled(bool enabled) override;
};

}  // namespace cdflash::win32
