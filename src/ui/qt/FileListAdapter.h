#pragma once
// The file list box: the files of one directory that match a mask of
// patterns separated by ';', matched without regard to case and sorted by
// name. Setting the directory or the mask reads the directory again.

#include <string>

#include "ui/qt/ControlAdapter.h"

namespace cdflash::qtui {

class FileListWidget;

class FileListAdapter final : public ControlAdapter, public IFileListBox {
 public:
  FileListAdapter(FileListWidget& list, const Bounds& design, const DesignMetrics& metrics,
                  LayoutChanged layoutChanged);

  void SetDirectory(const std::string& directory) override;
  std::string Directory() const override { return directory_; }
  void SetMask(const std::string& mask) override;
  std::string Mask() const override { return mask_; }
  void Update() override;
  int Count() const override;
  std::string Item(int index) const override;  // "" outside the list
  int ItemIndex() const override;              // the selected row, -1 when none
  std::string FileName() const override;

 private:
  FileListWidget& list_;
  std::string directory_;
  std::string mask_ = "*.*";
};

}  // namespace cdflash::qtui
