// The control contract against the Win32 controls of the real window.

#include "contract/ControlContract.h"
#include "ui/win32/FlashWindow.h"

namespace cdflash::contract {
namespace {

struct Win32Rig {
  Win32Rig() {
    win32::WindowOptions options;
    options.handlers = [this](win32::FormEvent event, win32::FlashWindow&) {
      if (event != win32::FormEvent::FormCreate && event != win32::FormEvent::FormDestroy) ++events;
    };
    window = win32::FlashWindow::Create(std::move(options));
  }
  FormControls Controls() {
    win32::FlashWindow& w = *window;
    return {&w.Window(), &w.SelectDriveLabel(), &w.FileListBox1(), &w.ComboBox(),
            &w.GroupBox2(), &w.ProgressBar(), &w.FlashButton()};
  }
  int UserEvents() const { return events; }

  int events = 0;
  std::unique_ptr<win32::FlashWindow> window;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, ControlContract, Win32Rig);

}  // namespace
}  // namespace cdflash::contract
