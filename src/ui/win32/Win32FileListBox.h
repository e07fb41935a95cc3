#pragma once
// The file list (LISTBOX): the names of the files of one directory that match
// a mask, sorted. Setting the directory or the mask reads the directory again,
// as Update does. A selection change by the user is reported by the window as
// FileListBox1Click.

#include "ui/win32/Win32Control.h"

namespace cdflash::win32 {

class Win32FileListBox final : public Win32Control, public IFileListBox {
 public:
  Win32FileListBox(HWND parent, int id, const Bounds& design, int itemHeight, HFONT font,
                   LayoutHost& host);

  void SetDirectory(const std::string& directory) override;
  std::string Directory() const override { return directory_; }
  void SetMask(const std::string& mask) override;
  std::string Mask() const override { return mask_; }
  void Update() override;
  int Count() const override;
  std::string Item(int index) const override;  // throws std::out_of_range
  int ItemIndex() const override;
  std::string FileName() const override;

  // Selects an entry by program (-1: none); raises no click.
  void SetItemIndex(int index);

 private:
  std::string directory_;
  std::string mask_ = "*.*";
};

}  // namespace cdflash::win32
