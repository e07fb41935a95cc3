#pragma once
// Records whether a window was ever shown, and acts on it once it is (from
// the event loop, after the show has completed).

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace cdflash::qtui::test {

class ShowWatcher final : public QObject {
 public:
  explicit ShowWatcher(QWidget& window, std::function<void()> onShown = {})
      : onShown_(std::move(onShown)) {
    window.installEventFilter(this);
  }
  bool shown = false;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Show && !shown) {
      shown = true;
      if (onShown_) QTimer::singleShot(0, onShown_);
    }
    return false;
  }

 private:
  std::function<void()> onShown_;
};

}  // namespace cdflash::qtui::test
