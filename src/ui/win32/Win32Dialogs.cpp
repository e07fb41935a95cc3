#include "ui/win32/Win32Dialogs.h"

#include "app/AppTexts.h"

namespace cdflash::win32 {

namespace {

// The box is centred when it is first activated: a thread-local CBT hook sees
// that moment, before the box is drawn, and removes itself.
thread_local HHOOK centringHook = nullptr;

LRESULT CALLBACK CentreOnActivate(int code, WPARAM wParam, LPARAM lParam) {
  const LRESULT next = CallNextHookEx(centringHook, code, wParam, lParam);
  if (code == HCBT_ACTIVATE) {
    HWND box = reinterpret_cast<HWND>(wParam);
    RECT work{};
    RECT rect{};
    if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0) && GetWindowRect(box, &rect)) {
      const int width = rect.right - rect.left;
      const int height = rect.bottom - rect.top;
      SetWindowPos(box, nullptr, work.left + (work.right - work.left - width) / 2,
                   work.top + (work.bottom - work.top - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    UnhookWindowsHookEx(centringHook);
    centringHook = nullptr;
  }
  return next;
}

Answer ToAnswer(int result) {
  switch (result) {
    case IDYES: return Answer::Yes;
    case IDNO: return Answer::No;
    case IDOK: return Answer::Ok;
    default: return Answer::Closed;
  }
}

}  // namespace

int CenteredMessageBox(const std::string& text, const char* title, UINT type) {
  if (centringHook == nullptr) {
    centringHook = SetWindowsHookExA(WH_CBT, CentreOnActivate, nullptr, GetCurrentThreadId());
  }
  const int result = MessageBoxA(nullptr, text.c_str(), title, type | MB_TASKMODAL | MB_SETFOREGROUND);
  if (centringHook != nullptr) {  // the box never became active
    UnhookWindowsHookEx(centringHook);
    centringHook = nullptr;
  }
  return result;
}

Answer Win32Dialogs::WarningYesNo(const std::string& text) {
  return ToAnswer(CenteredMessageBox(text, "Warning", MB_YESNO | MB_ICONWARNING));
}

void Win32Dialogs::WarningOk(const std::string& text) {
  CenteredMessageBox(text, "Warning", MB_OK | MB_ICONWARNING);
}

void Win32Dialogs::Error(const std::string& text) {
  CenteredMessageBox(text, "Error", MB_OK | MB_ICONERROR);
}

Answer Win32Dialogs::ConfirmYesNo(const std::string& text) {
  return ToAnswer(CenteredMessageBox(text, "Confirm", MB_YESNO | MB_ICONQUESTION));
}

Answer Win32Dialogs::ConfirmYesNoDefaultNo(const std::string& text) {
  return ToAnswer(CenteredMessageBox(text, "Confirm", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
}

void Win32Dialogs::Message(const std::string& text) {
  CenteredMessageBox(text, kApplicationTitle, MB_OK);
}

void Win32Dialogs::Exception(const std::string& text) {
  CenteredMessageBox(text, kApplicationTitle, MB_OK | MB_ICONERROR);
}

}  // namespace cdflash::win32
