// The control contract against the Win32 controls of the real window.

#include "contract/ControlContract.h"
#include "WindowTestSupport.h"

namespace cdflash::contract {
namespace {

struct Win32Rig {
  Win32Rig() {
    window = win32::test::WindowOfEvents([this](FormEvent event, auto&, auto&) {
      if (event != FormEvent::FormCreate && event != FormEvent::FormDestroy) ++events;
    });
  }
  FormControls Controls() {
    win32::FlashWindow& w = *window;
    return {&w.Window(), &w.SelectDriveLabel(), &w.FileListBox1(), &w.ComboBox(),
            &w.GroupBox2(), &w.ProgressBar(), &w.FlashButton()};
  }
  int UserEvents() const { return events; }
  int WindowWidth() const {
    return MulDiv(win32::test::ClientSize(window->Handle()).cx, kDesignDpi, window->Dpi());
  }

  int events = 0;
  std::unique_ptr<win32::FlashWindow> window;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, ControlContract, Win32Rig);

}  // namespace
}  // namespace cdflash::contract
