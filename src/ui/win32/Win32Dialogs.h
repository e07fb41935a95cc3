#pragma once
// Message boxes with MessageBoxA: modal to the task (MB_TASKMODAL disables
// every window of the thread while the box is up) and centred on the screen's
// work area.

#include <windows.h>

#include "app/Controls.h"

namespace cdflash::win32 {

// Shows one centred, task-modal box; returns MessageBoxA's answer.
int CenteredMessageBox(const std::string& text, const char* title, UINT type);

class Win32Dialogs final : public IDialogs {
 public:
  Answer WarningYesNo(const std::string& text) override;
  void WarningOk(const std::string& text) override;
  void Error(const std::string& text) override;
  Answer ConfirmYesNo(const std::string& text) override;
  Answer ConfirmYesNoDefaultNo(const std::string& text) override;
  void Message(const std::string& text) override;
  void Exception(const std::string& text) override;
};

}  // namespace cdflash::win32
