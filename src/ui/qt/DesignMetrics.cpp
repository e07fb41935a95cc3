#include "ui/qt/DesignMetrics.h"

#include <QFontInfo>
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
  // Linux seldom has a "System" face, and the stand-in (a sans serif) is
  // about a quarter wider than the designed font. Condensed, the label fits
  // the window and a drive's whole identity text, revision included, fits
  // the drop-down list as designed.
  if (QFontInfo(font).family().compare(font.family(), Qt::CaseInsensitive) != 0) {
    font.setStretch(QFont::Condensed);
  }
  return font;
}

}  // namespace cdflash::qtui
