#pragma once
// Design pixels (120 DPI) to the logical pixels of a screen. Qt's device pixel
// ratio turns logical pixels into device pixels, so scaling by logicalDpi/120
// gives every control its designed physical size.

#include <QFont>
#include <QRect>

#include "app/Controls.h"
#include "app/FormLayout.h"

class QWidget;

namespace cdflash::qtui {

class DesignMetrics {
 public:
  explicit DesignMetrics(int logicalDpi) : dpi_(logicalDpi) {}
  static DesignMetrics For(const QWidget& widget);

  int Dpi() const { return dpi_; }
  int Scale(int designPixels) const { return ScaleToDpi(designPixels, dpi_); }
  // Screen pixels back to design pixels, rounded up so nothing shrinks.
  int Unscale(int screenPixels) const;
  QRect ToScreen(const Bounds& design) const;
  // The form's font: bold, 20 design pixels character height.
  QFont FormFont() const;

 private:
  int dpi_;
};

}  // namespace cdflash::qtui
