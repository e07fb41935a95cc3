#include "ui/qt/FileListAdapter.h"

#include <QFile>
#include <QSignalBlocker>

#include "ui/qt/FileListWidget.h"
#include "ui/qt/RowHeightDelegate.h"

namespace cdflash::qtui {

namespace {
constexpr int kBytesRole = Qt::UserRole;
}  // namespace

FileListAdapter::FileListAdapter(FileListWidget& list, const Bounds& design,
                                 const DesignMetrics& metrics, LayoutChanged layoutChanged)
    : ControlAdapter(list, design, metrics, std::move(layoutChanged)), list_(list) {
  list_.setSelectionMode(QAbstractItemView::SingleSelection);
  list_.setUniformItemSizes(true);
  list_.setItemDelegate(new RowHeightDelegate(metrics.Scale(kItemHeight), &list_));
  ApplyGeometry();
}

void FileListAdapter::SetItems(const std::vector<std::string>& names) {
  const QSignalBlocker blocker(list_);
  list_.clear();
  for (const std::string& name : names) {
    const QByteArray bytes(name.data(), static_cast<qsizetype>(name.size()));
    auto* item = new QListWidgetItem(QFile::decodeName(bytes));
    item->setData(kBytesRole, bytes);
    list_.addItem(item);
  }
}

int FileListAdapter::Count() const { return list_.count(); }

std::string FileListAdapter::Item(int index) const {
  CheckListIndex(index, list_.count());
  return list_.item(index)->data(kBytesRole).toByteArray().toStdString();
}

int FileListAdapter::ItemIndex() const {
  const QList<QListWidgetItem*> selected = list_.selectedItems();
  return selected.isEmpty() ? -1 : list_.row(selected.front());
}

void FileListAdapter::SetItemIndex(int index) {
  const QSignalBlocker blocker(list_);
  if (index < 0 || index >= list_.count()) {
    list_.clearSelection();
    list_.setCurrentRow(-1);
  } else {
    list_.setCurrentRow(index);
  }
}

}  // namespace cdflash::qtui
