#include "ui/qt/FileListAdapter.h"

#include <QDir>
#include <QSignalBlocker>

#include "ui/qt/FileListWidget.h"
#include "ui/qt/QtText.h"
#include "ui/qt/RowHeightDelegate.h"

namespace cdflash::qtui {

FileListAdapter::FileListAdapter(FileListWidget& list, const Bounds& design,
                                 const DesignMetrics& metrics, LayoutChanged layoutChanged)
    : ControlAdapter(list, design, metrics, std::move(layoutChanged)), list_(list) {
  list_.setSelectionMode(QAbstractItemView::SingleSelection);
  list_.setUniformItemSizes(true);
  list_.setItemDelegate(new RowHeightDelegate(metrics.Scale(kItemHeight), &list_));
  ApplyGeometry();
}

void FileListAdapter::SetDirectory(const std::string& directory) {
  directory_ = directory;
  Update();
}

void FileListAdapter::SetMask(const std::string& mask) {
  mask_ = mask;
  Update();
}

void FileListAdapter::Update() {
  QStringList patterns = ToQString(mask_).split(u';', Qt::SkipEmptyParts);
  QDir dir(QFile::decodeName(QByteArray::fromStdString(directory_)));
  dir.setNameFilters(patterns);  // case-insensitive by default
  dir.setFilter(QDir::Files);
  dir.setSorting(QDir::Name | QDir::IgnoreCase);

  const QSignalBlocker blocker(list_);
  list_.clear();
  if (!patterns.isEmpty()) list_.addItems(dir.entryList());
}

int FileListAdapter::Count() const { return list_.count(); }

std::string FileListAdapter::Item(int index) const {
  if (index < 0 || index >= list_.count()) return {};
  return FileNameBytes(list_.item(index)->text());
}

int FileListAdapter::ItemIndex() const {
  const QList<QListWidgetItem*> selected = list_.selectedItems();
  return selected.isEmpty() ? -1 : list_.row(selected.front());
}

std::string FileListAdapter::FileName() const {
  const int index = ItemIndex();
  if (index < 0) return {};
  std::string path = directory_;
  if (!path.empty() && path.back() != '/') path += '/';
  return path + Item(index);
}

}  // namespace cdflash::qtui
