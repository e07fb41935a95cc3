#pragma once
// The label (STATIC): one line of text; its width follows the text, as an
// auto-sized label does, and the self-sizing window follows the label.

#include "ui/win32/Win32Control.h"

namespace cdflash::win32 {

class Win32Label final : public Win32Control, public ILabel {
 public:
  Win32Label(HWND parent, int id, const Bounds& design, HFONT font, LayoutHost& host);

  std::string Text() const override;
  void SetText(const std::string& text) override;

 private:
  void Place() override;

  const int emptyWidth_;  // design width with no text
  HFONT font_;
  int textWidth_ = 0;     // screen pixels of the current text
};

}  // namespace cdflash::win32
