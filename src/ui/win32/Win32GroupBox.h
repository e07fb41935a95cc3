#pragma once
// The group box (BUTTON, BS_GROUPBOX): a frame with a caption. The progress bar
// and the button lie on it as siblings, not as its children.

#include "ui/win32/Win32Control.h"

namespace cdflash::win32 {

class Win32GroupBox final : public Win32Control, public IGroupBox {
 public:
  Win32GroupBox(HWND parent, int id, const Bounds& design, HFONT font, LayoutHost& host);

  std::string Caption() const override;
  void SetCaption(const std::string& caption) override;
  // Draws the frame, its caption and what lies on it now, also while a long
  // operation keeps the message loop from running.
  void Repaint() override;
};

}  // namespace cdflash::win32
