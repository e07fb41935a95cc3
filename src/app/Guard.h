#pragma once
// Runs an event handler the way the message loop does: an exception that
// escapes is shown in the application's exception box and the loop goes on.

#include <exception>
#include <utility>

#include "app/AppTexts.h"
#include "app/Controls.h"

namespace cdflash {

template <typename Handler>
void RunGuarded(IDialogs& dialogs, Handler&& handler) {
  try {
    std::forward<Handler>(handler)();
  } catch (const std::exception& e) {
    dialogs.Exception(ExceptionBoxText(e.what()));
  } catch (...) {
    dialogs.Exception(ExceptionBoxText("Unknown error"));
  }
}

}  // namespace cdflash
