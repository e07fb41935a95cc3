#include "ui/qt/FormBinding.h"

#include "app/FlashForm.h"
#include "app/Guard.h"
#include "ui/qt/FlashWindow.h"

namespace cdflash::qtui {

std::unique_ptr<IFormHandlers> MakeEmbeddedFlashForm(const FormControls& controls,
                                                     const FormServices& services) {
  return std::make_unique<TFlashForm>(controls, services);
}

void BindForm(FlashWindow& window, IFormHandlers& form, IDialogs& dialogs) {
  QObject::connect(&window, &FlashWindow::ComboBoxChanged, &window,
                   [&form, &dialogs] { RunGuarded(dialogs, [&form] { form.ComboBoxChange(); }); });
  QObject::connect(&window, &FlashWindow::FileListClicked, &window, [&form, &dialogs] {
    RunGuarded(dialogs, [&form] { form.FileListBox1Click(); });
  });
  QObject::connect(&window, &FlashWindow::FlashButtonClicked, &window, [&form, &dialogs] {
    RunGuarded(dialogs, [&form] { form.FlashButtonClick(); });
  });
  window.SetDestroyHandler(
      [&form, &dialogs] { RunGuarded(dialogs, [&form] { form.FormDestroy(); }); });
}

}  // namespace cdflash::qtui
