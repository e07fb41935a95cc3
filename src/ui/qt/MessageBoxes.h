#pragma once
// The program's modal message boxes: application modal, centred on the
// screen, plain text. A Yes/No box that is closed (Escape, close button)
// answers Closed, never Yes.

#include "app/Controls.h"

namespace cdflash::qtui {

class MessageBoxes final : public IDialogs {
 public:
  Answer WarningYesNo(const std::string& text) override;
  void WarningOk(const std::string& text) override;
  void Error(const std::string& text) override;
  Answer ConfirmYesNo(const std::string& text) override;
  Answer ConfirmYesNoDefaultNo(const std::string& text) override;
  void Message(const std::string& text) override;
  void Exception(const std::string& text) override;
};

}  // namespace cdflash::qtui
