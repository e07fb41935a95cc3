#pragma once
// Common part of every control adapter: the control's design bounds, the
// widget that shows them at screen scale, and its visibility. A change of
// geometry or visibility is reported so the window can fit itself again.

#include <functional>

#include "app/Controls.h"
#include "ui/qt/DesignMetrics.h"

class QWidget;

namespace cdflash::qtui {

class ControlAdapter : public virtual IControl {
 public:
  using LayoutChanged = std::function<void()>;

  ControlAdapter(QWidget& widget, const Bounds& design, const DesignMetrics& metrics,
                 LayoutChanged layoutChanged);

  Bounds GetBounds() const override;
  void SetTop(int top) override;
  bool Visible() const override;
  void SetVisible(bool visible) override;

  QWidget& Widget() const { return widget_; }

 protected:
  // The widget's place on the screen: the scaled design bounds, unless the
  // control sizes itself. Derived constructors call ApplyGeometry() once.
  virtual QRect ScreenGeometry() const;
  void ApplyGeometry();
  const DesignMetrics& Metrics() const { return metrics_; }
  const Bounds& Design() const { return design_; }

 private:
  QWidget& widget_;
  Bounds design_;
  const DesignMetrics& metrics_;
  LayoutChanged layoutChanged_;
};

}  // namespace cdflash::qtui
