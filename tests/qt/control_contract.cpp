// The control contract against the Qt adapters of the real window.

#include "contract/ControlContract.h"
#include "ui/qt/FlashWindow.h"

namespace cdflash::contract {
namespace {

struct QtRig {
  QtRig() {
    for (auto signal : {&qtui::FlashWindow::ComboBoxChanged, &qtui::FlashWindow::FileListClicked,
                        &qtui::FlashWindow::FlashButtonClicked}) {
      QObject::connect(&window, signal, [this] { ++events; });
    }
  }
  FormControls Controls() { return window.Controls(); }
  int UserEvents() const { return events; }
  int WindowWidth() const { return window.Metrics().Unscale(window.width()); }

  qtui::FlashWindow window;
  int events = 0;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, ControlContract, QtRig);

}  // namespace
}  // namespace cdflash::contract
