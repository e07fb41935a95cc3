#pragma once
// A list widget that reports the user's clicks, and keyboard moves of its
// selection, as one signal, like the click notification of a native list
// box. Changes made by the program raise nothing.

#include <QListWidget>

namespace cdflash::qtui {

class FileListWidget final : public QListWidget {
  Q_OBJECT

 public:
  using QListWidget::QListWidget;

 signals:
  void UserClicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace cdflash::qtui
