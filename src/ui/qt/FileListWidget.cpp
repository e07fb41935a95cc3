#include "ui/qt/FileListWidget.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace cdflash::qtui {

// The selection moves on button down, so the click is reported then; a click
// below the last item still counts, whatever it selects.
void FileListWidget::mousePressEvent(QMouseEvent* event) {
  QListWidget::mousePressEvent(event);
  if (event->button() == Qt::LeftButton) emit UserClicked();
}

void FileListWidget::keyPressEvent(QKeyEvent* event) {
  const int before = currentRow();
  QListWidget::keyPressEvent(event);
  if (currentRow() != before) emit UserClicked();
}

}  // namespace cdflash::qtui
