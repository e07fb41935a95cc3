#pragma once
// The main window of the Win32 front end: window class "TFlashForm", the child
// controls of the form design at the screen's DPI, and the plumbing from
// window messages to the handlers of TFlashForm. It carries no logic of its
// own beyond drawing, self-sizing, keyboard focus and event plumbing, and
// refusing to close while the form runs a job (on the UI thread service's
// worker thread).
//
// Tests create it directly (without WinMain) and may replace the dialogs, the
// application services and the form.

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "app/FormHandlers.h"
#include "package/PackageView.h"
#include "ui/win32/LayoutHost.h"
#include "ui/win32/Win32Button.h"
#include "ui/win32/Win32ComboBox.h"
#include "ui/win32/Win32Dialogs.h"
#include "ui/win32/Win32FileListBox.h"
#include "ui/win32/Win32GroupBox.h"
#include "ui/win32/Win32Label.h"
#include "ui/win32/Win32ProgressBar.h"
#include "ui/win32/Win32Services.h"
#include "ui/win32/Win32UiThread.h"

namespace cdflash::win32 {

struct WindowOptions {
  PackageView package = PackageView::Embedded();
  IDialogs* dialogs = nullptr;          // null: message boxes
  IApplication* application = nullptr;  // null: PostQuitMessage
  // Makes the form; null: TFlashForm over `package`.
  FormFactory makeForm;
};

class FlashWindow final : private LayoutHost {
 public:
  static constexpr const char* kClassName = "TFlashForm";

  // Creates the window, hidden, and runs FormCreate inside WM_CREATE. An
  // exception from FormCreate or from creating the controls makes the creation
  // fail and is thrown from here.
  static std::unique_ptr<FlashWindow> Create(WindowOptions options);
  ~FlashWindow() override;
  FlashWindow(const FlashWindow&) = delete;
  FlashWindow& operator=(const FlashWindow&) = delete;

  HWND Handle() const { return hwnd_; }  // null once the window is destroyed
  IDialogs& Dialogs() { return options_.dialogs != nullptr ? *options_.dialogs : dialogs_; }
  IApplication& Application() { return application_; }
  IWindow& Window() { return frame_; }
  Win32Cursor& Cursor() { return cursor_; }
  int Dpi() const override { return dpi_; }
  bool QuitPosted() const { return application_.QuitPosted(); }

  Win32Label& SelectDriveLabel() { return *label_; }
  Win32FileListBox& FileListBox1() { return *fileList_; }
  Win32ComboBox& ComboBox() { return *comboBox_; }
  Win32GroupBox& GroupBox2() { return *groupBox_; }
  Win32ProgressBar& ProgressBar() { return *progressBar_; }
  Win32Button& FlashButton() { return *button_; }
  // A control of the form design by its name, and its child window; null if unknown.
  Win32Control* Control(std::string_view name) const;
  HWND ControlHandle(std::string_view name) const;

  void Show();

  // Keys the form handles before the focused control: Tab and Shift+Tab move
  // the focus along the tab order, Enter on the button presses it, Alt+F4
  // closes the window (unless a job runs). True when `msg` was one of them
  // and has been handled.
  bool HandleDialogKey(const MSG& msg);
  // Moves the focus to the next (or previous) visible, enabled tab stop.
  void MoveFocus(bool backward);

 private:
  class Frame final : public IWindow {
   public:
    explicit Frame(const HWND& hwnd) : hwnd_(hwnd) {}
    std::string Caption() const override;
    void SetCaption(const std::string& caption) override;
    void Close() override;  // posts WM_CLOSE: closing is safe even inside WM_CREATE
    // While blocked the close item of the window menu is greyed and the
    // system is told why the session may not end.
    void SetCloseBlocked(bool blocked) override;
    bool CloseBlocked() const { return closeBlocked_; }
    // Whether a request to close (other than Close()) is to be refused.
    bool CloseRefused() const { return closeBlocked_ && !closeRequested_; }

   private:
    const HWND& hwnd_;
    bool closeBlocked_ = false;
    bool closeRequested_ = false;
  };

  explicit FlashWindow(WindowOptions options);
  static void RegisterWindowClass();
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnCreate();
  void OnDestroy();
  void DestroyForm();  // runs FormDestroy once
  void OnCommand(WPARAM wParam, LPARAM lParam);
  void OnActivate(bool active);
  struct ControlMaker;
  void CreateControls();
  void ControlsChanged() override;  // fits the window around its visible controls
  void Dispatch(FormEvent event);  // guarded: exceptions show the box

  WindowOptions options_;
  HWND hwnd_ = nullptr;
  int dpi_;
  HFONT font_ = nullptr;
  Frame frame_;
  Win32Dialogs dialogs_;
  Win32Cursor cursor_;
  Win32Application application_;
  std::unique_ptr<Win32UiThread> ui_;  // made with the window; outlives the form
  std::unique_ptr<Win32Label> label_;
  std::unique_ptr<Win32FileListBox> fileList_;
  std::unique_ptr<Win32ComboBox> comboBox_;
  std::unique_ptr<Win32GroupBox> groupBox_;
  std::unique_ptr<Win32ProgressBar> progressBar_;
  std::unique_ptr<Win32Button> button_;
  std::vector<Win32Control*> controls_;  // creation order
  FormControls formControls_;
  HWND lastFocus_ = nullptr;
  std::unique_ptr<IFormHandlers> form_;
  bool created_ = false;  // WM_CREATE completed
  bool formDestroyed_ = false;
  std::exception_ptr creationError_;
};

}  // namespace cdflash::win32
