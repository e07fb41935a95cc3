#include "ui/qt/ComboBoxAdapter.h"

#include <QComboBox>
#include <QSignalBlocker>

#include "ui/qt/QtText.h"
#include "ui/qt/RowHeightDelegate.h"

namespace cdflash::qtui {

namespace {
// Each entry keeps the bytes it was given, so Item() returns them unchanged
// whatever the locale's codec made of them for display.
constexpr int kBytesRole = Qt::UserRole;

QByteArray Bytes(const std::string& text) {
  return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

ComboBoxAdapter::ComboBoxAdapter(QComboBox& combo, const Bounds& design,
                                 const DesignMetrics& metrics, LayoutChanged layoutChanged)
    : ControlAdapter(combo, design, metrics, std::move(layoutChanged)), combo_(combo) {
  combo_.setEditable(false);
  combo_.setItemDelegate(new RowHeightDelegate(metrics.Scale(kItemHeight), &combo_));
  ApplyGeometry();
}

int ComboBoxAdapter::Count() const { return combo_.count(); }

std::string ComboBoxAdapter::Item(int index) const {
  CheckListIndex(index, combo_.count());
  return combo_.itemData(index, kBytesRole).toByteArray().toStdString();
}

void ComboBoxAdapter::Add(const std::string& text) { Insert(combo_.count(), text); }

// QComboBox selects the first entry added to an empty list; a native
// drop-down keeps "no selection" until a selection is set.
void ComboBoxAdapter::Insert(int index, const std::string& text) {
  CheckListIndex(index, combo_.count() + 1);
  const QSignalBlocker blocker(combo_);
  const bool hadSelection = combo_.currentIndex() >= 0;
  combo_.insertItem(index, ToQString(text), Bytes(text));
  if (!hadSelection) combo_.setCurrentIndex(-1);
}

// Deleting the selected entry leaves no selection, as in a native list.
void ComboBoxAdapter::Delete(int index) {
  CheckListIndex(index, combo_.count());
  const QSignalBlocker blocker(combo_);
  const bool wasSelected = index == combo_.currentIndex();
  combo_.removeItem(index);
  if (wasSelected) combo_.setCurrentIndex(-1);
}

void ComboBoxAdapter::Clear() {
  const QSignalBlocker blocker(combo_);
  combo_.clear();
}

int ComboBoxAdapter::ItemIndex() const { return combo_.currentIndex(); }

void ComboBoxAdapter::SetItemIndex(int index) {
  const QSignalBlocker blocker(combo_);
  combo_.setCurrentIndex(index >= 0 && index < combo_.count() ? index : -1);
}

void ComboBoxAdapter::Repaint() { combo_.repaint(); }

bool ComboBoxAdapter::Enabled() const { return combo_.isEnabled(); }
void ComboBoxAdapter::SetEnabled(bool enabled) { combo_.setEnabled(enabled); }

}  // namespace cdflash::qtui
