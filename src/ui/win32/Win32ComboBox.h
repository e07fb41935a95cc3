#pragma once
// The selection-only drop-down list (COMBOBOX, CBS_DROPDOWNLIST). Selecting by
// program sends no CBN_SELCHANGE, so it raises no change event; only the user's
// choice does (the window turns CBN_SELCHANGE into ComboBoxChange).

#include "ui/win32/Win32Control.h"

namespace cdflash::win32 {

class Win32ComboBox final : public Win32Control, public IComboBox {
 public:
  Win32ComboBox(HWND parent, int id, const Bounds& design, int itemHeight, HFONT font,
                LayoutHost& host);

  int Count() const override;
  std::string Item(int index) const override;
  void Add(const std::string& text) override;
  void Insert(int index, const std::string& text) override;
  void Delete(int index) override;
  void Clear() override;
  int ItemIndex() const override;
  void SetItemIndex(int index) override;
  void Repaint() override;
  bool Enabled() const override { return IsWindowEnabled(hwnd_) != FALSE; }
  void SetEnabled(bool enabled) override { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }

 private:
  void Place() override;

  int itemHeight_;  // design pixels
};

}  // namespace cdflash::win32
