#include "ui/qt/DesignMetrics.h"

#include <QWidget>

namespace cdflash::qtui {

DesignMetrics DesignMetrics::For(const QWidget& widget) {
  return DesignMetrics(widget.logicalDpiY());
}

int DesignMetrics::Unscale(int screenPixels) const {
  if (dpi_ <= 0) return screenPixels;
  return static_cast<int>((static_cast<long long>(screenPixels) * kDesignDpi + dpi_ - 1) / dpi_);
}

QRect DesignMetrics::ToScreen(const Bounds& design) const {
  return QRect(Scale(design.left), Scale(design.top), Scale(design.width), Scale(design.height));
}

QFont DesignMetrics::FormFont() const {
  QFont font(QStringLiteral("System"));
  font.setPixelSize(Scale(kFontHeight));
  font.setBold(true);
  return font;
}

}  // namespace cdflash::qtui
