#pragma once
// The selection-only drop-down list. Changes made through this adapter never
// raise ComboBoxChange: the window reports only the user's choices (the
// combo box's `activated` signal).

#include <string>

#include "ui/qt/ControlAdapter.h"

class QComboBox;

namespace cdflash::qtui {

class ComboBoxAdapter final : public ControlAdapter, public IComboBox {
 public:
  ComboBoxAdapter(QComboBox& combo, const Bounds& design, const DesignMetrics& metrics,
                  LayoutChanged layoutChanged);

  int Count() const override;
  std::string Item(int index) const override;
  void Add(const std::string& text) override;
  void Insert(int index, const std::string& text) override;
  void Delete(int index) override;
  void Clear() override;
  int ItemIndex() const override;
  void SetItemIndex(int index) override;
  void Repaint() override;
  bool Enabled() const override;
  void SetEnabled(bool enabled) override;

 private:
  QComboBox& combo_;
};

}  // namespace cdflash::qtui
