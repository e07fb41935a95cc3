#pragma once
// The seam between a window and the form's logic: the events a window
// raises, the handlers that receive them, and how a window makes its form.
// The Qt and the Win32 window both raise events through it, so either can
// run with handlers of any behaviour.

#include <functional>
#include <memory>

#include "app/Controls.h"

namespace cdflash {

enum class FormEvent { FormCreate, FormDestroy, ComboBoxChange, FileListBox1Click, FlashButtonClick, EndRequested };

class IFormHandlers {
 public:
  virtual ~IFormHandlers() = default;
  virtual void FormCreate() = 0;
  virtual void FormDestroy() = 0;
  virtual void ComboBoxChange() = 0;
  virtual void FileListBox1Click() = 0;
  virtual void FlashButtonClick() = 0;
  // The system asks the program to end (a signal, a logout).
  virtual void EndRequested() {}
};

// Runs the handler of `event`.
void Raise(IFormHandlers& handlers, FormEvent event);

// Makes the form over a window's controls and the application's services.
using FormFactory =
    std::function<std::unique_ptr<IFormHandlers>(const FormControls&, const FormServices&)>;

// Handlers that hand every event to one function.
class FormEventFunction final : public IFormHandlers {
 public:
  explicit FormEventFunction(std::function<void(FormEvent)> onEvent) : onEvent_(std::move(onEvent)) {}
  void FormCreate() override { onEvent_(FormEvent::FormCreate); }
  void FormDestroy() override { onEvent_(FormEvent::FormDestroy); }
  void ComboBoxChange() override { onEvent_(FormEvent::ComboBoxChange); }
  void FileListBox1Click() override { onEvent_(FormEvent::FileListBox1Click); }
  void FlashButtonClick() override { onEvent_(FormEvent::FlashButtonClick); }
  void EndRequested() override { onEvent_(FormEvent::EndRequested); }

 private:
  std::function<void(FormEvent)> onEvent_;
};

}  // namespace cdflash
