#include "ui/qt/ControlAdapter.h"

#include <QWidget>

namespace cdflash::qtui {

ControlAdapter::ControlAdapter(QWidget& widget, const Bounds& design,
                               const DesignMetrics& metrics, LayoutChanged layoutChanged)
    : widget_(widget), design_(design), metrics_(metrics),
      layoutChanged_(std::move(layoutChanged)) {}

Bounds ControlAdapter::GetBounds() const { return design_; }

void ControlAdapter::SetTop(int top) {
  design_.top = top;
  ApplyGeometry();
}

// The control's own visibility flag, which holds even before the window is
// shown (isVisible() would report false for every child until then).
bool ControlAdapter::Visible() const { return !widget_.isHidden(); }

void ControlAdapter::SetVisible(bool visible) {
  widget_.setVisible(visible);
  if (layoutChanged_) layoutChanged_();
}

QRect ControlAdapter::ScreenGeometry() const { return metrics_.ToScreen(design_); }

void ControlAdapter::ApplyGeometry() {
  widget_.setGeometry(ScreenGeometry());
  if (layoutChanged_) layoutChanged_();
}

}  // namespace cdflash::qtui
