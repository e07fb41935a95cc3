#pragma once
// The file list box: shows the file names the form gives it, in its order.
// Each entry keeps the bytes of its name; the display goes through Qt's
// file-name codec.

#include <string>
#include <vector>

#include "ui/qt/ControlAdapter.h"

namespace cdflash::qtui {

class FileListWidget;

class FileListAdapter final : public ControlAdapter, public IFileListBox {
 public:
  FileListAdapter(FileListWidget& list, const Bounds& design, const DesignMetrics& metrics,
                  LayoutChanged layoutChanged);

  void SetItems(const std::vector<std::string>& names) override;
  int Count() const override;
  std::string Item(int index) const override;
  int ItemIndex() const override;  // the selected row, -1 when none
  void SetItemIndex(int index) override;

 private:
  FileListWidget& list_;
};

}  // namespace cdflash::qtui
