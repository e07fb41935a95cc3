#include "app/FormHandlers.h"

namespace cdflash {

void Raise(IFormHandlers& handlers, FormEvent event) {
  switch (event) {
    case FormEvent::FormCreate: handlers.FormCreate(); break;
    case FormEvent::FormDestroy: handlers.FormDestroy(); break;
    case FormEvent::ComboBoxChange: handlers.ComboBoxChange(); break;
    case FormEvent::FileListBox1Click: handlers.FileListBox1Click(); break;
    case FormEvent::FlashButtonClick: handlers.FlashButtonClick(); break;
    case FormEvent::EndRequested: handlers.EndRequested(); break;
  }
}

}  // namespace cdflash
