#pragma once
// Ends an event loop that nothing else ends, so a test fails instead of
// hanging; the test asks Hung() afterwards.

#include <QCoreApplication>
#include <QTimer>

namespace cdflash::qtui::test {

class LoopHangGuard {
 public:
  explicit LoopHangGuard(int milliseconds = 15000) {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      hung_ = true;
      QCoreApplication::exit(0);
    });
    timer_.start(milliseconds);
  }
  bool Hung() const { return hung_; }

 private:
  QTimer timer_;
  bool hung_ = false;
};

}  // namespace cdflash::qtui::test
