#pragma once
// Gives every row of a list or drop-down the form's fixed item height.

#include <QStyledItemDelegate>

namespace cdflash::qtui {

class RowHeightDelegate final : public QStyledItemDelegate {
 public:
  RowHeightDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), height_(height) {}

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(height_);
    return size;
  }

 private:
  int height_;
};

}  // namespace cdflash::qtui
