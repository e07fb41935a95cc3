#pragma once
// The file list (LISTBOX): shows the file names the form gives it, in its
// order. A selection change by the user is reported by the window as
// FileListBox1Click.

#include <vector>

#include "ui/win32/Win32Control.h"

namespace cdflash::win32 {

class Win32FileListBox final : public Win32Control, public IFileListBox {
 public:
  Win32FileListBox(HWND parent, int id, const Bounds& design, int itemHeight, HFONT font,
                   LayoutHost& host);

  void SetItems(const std::vector<std::string>& names) override;
  int Count() const override;
  std::string Item(int index) const override;
  int ItemIndex() const override;
  void SetItemIndex(int index) override;
};

}  // namespace cdflash::win32
