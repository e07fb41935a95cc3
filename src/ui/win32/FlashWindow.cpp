#include "ui/win32/FlashWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

#include "app/FlashForm.h"
#include "app/FormLayout.h"
#include "app/Guard.h"
#include "ui/win32/ShutdownReason.h"
#include "ui/win32/WindowText.h"

namespace cdflash::win32 {

namespace {

// A self-sizing window: no sizing border and no maximise box.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kWindowExStyle = 0;
constexpr int kFirstControlId = 100;  // + position in kFormDesign
constexpr wchar_t kShutdownReason[] =
    L"The firmware of a drive is being updated. Switching off now can leave the drive unusable.";

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

HFONT CreateFormFont(int dpi) {
  LOGFONTA font{};
  font.lfHeight = -ScaleToDpi(kFontHeight, dpi);  // negative: character height
  font.lfWeight = FW_BOLD;
  font.lfCharSet = CHINESEBIG5_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  std::strncpy(font.lfFaceName, "System", LF_FACESIZE - 1);
  return CreateFontIndirectA(&font);
}

std::runtime_error SystemError(const std::string& what) {
  return std::runtime_error(what + " (error " + std::to_string(GetLastError()) + ")");
}

}  // namespace

// --- the window itself as the form sees it ---

std::string FlashWindow::Frame::Caption() const { return ReadWindowText(hwnd_); }

void FlashWindow::Frame::SetCaption(const std::string& caption) { WriteWindowText(hwnd_, caption); }

void FlashWindow::Frame::Close() {
  closeRequested_ = true;
  if (hwnd_ != nullptr) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
}

void FlashWindow::Frame::SetCloseBlocked(bool blocked) {
  if (blocked == closeBlocked_) return;
  closeBlocked_ = blocked;
  if (hwnd_ == nullptr) return;
  EnableMenuItem(GetSystemMenu(hwnd_, FALSE), SC_CLOSE,
                 MF_BYCOMMAND | (blocked ? MF_GRAYED : MF_ENABLED));
  if (blocked) {
    SetShutdownReason(hwnd_, kShutdownReason);
  } else {
    ClearShutdownReason(hwnd_);
  }
}

// --- creation ---

FlashWindow::FlashWindow(WindowOptions options)
    : options_(std::move(options)),
      dpi_(ScreenDpi()),
      frame_(hwnd_),
      application_(options_.application) {}

FlashWindow::~FlashWindow() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  if (font_ != nullptr) DeleteObject(font_);
}

void FlashWindow::RegisterWindowClass() {
  INITCOMMONCONTROLSEX common{sizeof(common), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  if (!InitCommonControlsEx(&common)) InitCommonControls();

  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExA(instance, kClassName, &existing)) return;

  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = &FlashWindow::WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  if (RegisterClassExA(&windowClass) == 0) throw SystemError("Cannot register the window class");
}

std::unique_ptr<FlashWindow> FlashWindow::Create(WindowOptions options) {
  RegisterWindowClass();
  std::unique_ptr<FlashWindow> window(new FlashWindow(std::move(options)));
  window->font_ = CreateFormFont(window->dpi_);
  if (window->font_ == nullptr) throw SystemError("Cannot create the form's font");

  const int dpi = window->dpi_;
  const Bounds& bounds = kWindowDesignBounds;
  HWND hwnd = CreateWindowExA(kWindowExStyle, kClassName, "", kWindowStyle,
                              ScaleToDpi(bounds.left, dpi), ScaleToDpi(bounds.top, dpi),
                              ScaleToDpi(bounds.width, dpi), ScaleToDpi(bounds.height, dpi),
                              nullptr, nullptr, GetModuleHandleA(nullptr), window.get());
  if (hwnd == nullptr) {
    // Windows sends WM_DESTROY after a failed WM_CREATE, Wine does not: the
    // form that was created is destroyed here in either case.
    window->DestroyForm();
    if (window->creationError_) std::rethrow_exception(window->creationError_);
    throw SystemError("Cannot create the main window");
  }
  return window;
}

// Makes each control of the design as a child window, its id by its place
// in the design.
struct FlashWindow::ControlMaker {
  FlashWindow& w;

  template <typename Control, typename... Extra>
  Control* Make(std::unique_ptr<Control>& slot, const ControlDesign& design, Extra&&... extra) {
    const int id = kFirstControlId + static_cast<int>(w.controls_.size());
    LayoutHost& host = w;
    slot = std::make_unique<Control>(w.hwnd_, id, design.bounds, std::forward<Extra>(extra)..., w.font_, host);
    w.controls_.push_back(slot.get());
    return slot.get();
  }
  Win32Label* Label(const ControlDesign& design) { return Make(w.label_, design); }
  Win32FileListBox* FileListBox(const ControlDesign& design) { return Make(w.fileList_, design, kItemHeight); }
  Win32ComboBox* ComboBox(const ControlDesign& design) { return Make(w.comboBox_, design, kItemHeight); }
  Win32GroupBox* GroupBox(const ControlDesign& design) { return Make(w.groupBox_, design); }
  Win32ProgressBar* ProgressBar(const ControlDesign& design) { return Make(w.progressBar_, design); }
  Win32Button* Button(const ControlDesign& design) { return Make(w.button_, design, kFlashButtonCaption); }
};

void FlashWindow::CreateControls() {
  ControlMaker maker{*this};
  formControls_ = MakeFormControls(&frame_, maker);
  if (!label_ || !fileList_ || !comboBox_ || !groupBox_ || !progressBar_ || !button_) {
    throw std::logic_error("The form design lacks a control");
  }
}

Win32Control* FlashWindow::Control(std::string_view name) const {
  for (std::size_t i = 0; i < kFormDesign.size() && i < controls_.size(); ++i) {
    if (kFormDesign[i].name == name) return controls_[i];
  }
  return nullptr;
}

HWND FlashWindow::ControlHandle(std::string_view name) const {
  const Win32Control* control = Control(name);
  return control != nullptr ? control->Handle() : nullptr;
}

void FlashWindow::Show() {
  if (hwnd_ == nullptr) return;
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  UpdateWindow(hwnd_);
}

// --- layout ---

void FlashWindow::ControlsChanged() {
  if (hwnd_ == nullptr || controls_.size() != kFormDesign.size()) return;
  int right = 0;
  int bottom = 0;
  for (Win32Control* control : controls_) {
    if (!control->Visible()) continue;
    RECT rect{};
    GetWindowRect(control->Handle(), &rect);
    MapWindowPoints(HWND_DESKTOP, hwnd_, reinterpret_cast<POINT*>(&rect), 2);
    right = std::max<int>(right, rect.right);
    bottom = std::max<int>(bottom, rect.bottom);
  }
  RECT frame{0, 0, right, bottom};
  AdjustWindowRectEx(&frame, kWindowStyle, FALSE, kWindowExStyle);
  SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- focus and keys ---

bool FlashWindow::HandleDialogKey(const MSG& msg) {
  if (hwnd_ == nullptr || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd))) return false;
  // Alt+F4 closes the window whichever control has the focus (Wine's combo
  // box swallows every system key it is given).
  if (msg.message == WM_SYSKEYDOWN && msg.wParam == VK_F4 && msg.hwnd != hwnd_ &&
      (HIWORD(msg.lParam) & KF_ALTDOWN) != 0) {
    if (!frame_.CloseRefused()) PostMessageA(hwnd_, WM_SYSCOMMAND, SC_CLOSE, 0);
    return true;
  }
  if (msg.message != WM_KEYDOWN) return false;
  if (msg.wParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0) {
    MoveFocus(GetKeyState(VK_SHIFT) < 0);
    return true;
  }
  if (msg.wParam == VK_RETURN && msg.hwnd == button_->Handle()) {
    SendMessageA(button_->Handle(), BM_CLICK, 0, 0);
    return true;
  }
  return false;
}

void FlashWindow::MoveFocus(bool backward) {
  const int count = static_cast<int>(kTabOrder.size());
  if (count == 0 || controls_.size() != kFormDesign.size()) return;
  const auto stop = [this](int position) { return controls_[kTabOrder[static_cast<std::size_t>(position)]]->Handle(); };
  HWND focus = GetFocus();
  while (focus != nullptr && GetParent(focus) != hwnd_) focus = GetParent(focus);
  int position = backward ? 0 : -1;
  for (int i = 0; i < count; ++i) {
    if (stop(i) == focus) position = i;
  }
  for (int step = 0; step < count; ++step) {
    position = (position + (backward ? count - 1 : 1)) % count;
    HWND candidate = stop(position);
    if (IsWindowVisible(candidate) && IsWindowEnabled(candidate) &&
        (GetWindowLongA(candidate, GWL_STYLE) & WS_TABSTOP) != 0) {
      SetFocus(candidate);
      return;
    }
  }
}

void FlashWindow::OnActivate(bool active) {
  if (!active) {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(hwnd_, focus)) lastFocus_ = focus;
    return;
  }
  if (lastFocus_ != nullptr && IsChild(hwnd_, lastFocus_) && IsWindowVisible(lastFocus_) &&
      IsWindowEnabled(lastFocus_)) {
    SetFocus(lastFocus_);
  } else {
    SetFocus(nullptr);
    MoveFocus(false);  // the first tab stop
  }
}

// --- events ---

void FlashWindow::Dispatch(FormEvent event) {
  RunGuarded(Dialogs(), [&] { Raise(*form_, event); });
}

void FlashWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
  HWND from = reinterpret_cast<HWND>(lParam);
  const UINT code = HIWORD(wParam);
  if (from == nullptr || !created_) return;
  if (from == comboBox_->Handle() && code == CBN_SELCHANGE) {
    Dispatch(FormEvent::ComboBoxChange);
  } else if (from == fileList_->Handle() && code == LBN_SELCHANGE) {
    Dispatch(FormEvent::FileListBox1Click);
  } else if (from == button_->Handle() && code == BN_CLICKED && button_->Enabled()) {
    // A disabled button takes no clicks, whatever a BM_CLICK may claim.
    Dispatch(FormEvent::FlashButtonClick);
  }
}

LRESULT FlashWindow::OnCreate() {
  try {
    CreateControls();
    ui_ = std::make_unique<Win32UiThread>(hwnd_);
    FormServices services;
    services.dialogs = &Dialogs();
    services.cursor = &cursor_;
    services.application = &application_;
    services.ui = ui_.get();
    form_ = options_.makeForm ? options_.makeForm(formControls_, services)
                              : std::make_unique<TFlashForm>(formControls_, services, options_.package);
    ControlsChanged();
    // Start-up work runs before the window is first shown; what escapes it
    // makes the creation fail, and Create throws it again.
    Raise(*form_, FormEvent::FormCreate);
  } catch (...) {
    creationError_ = std::current_exception();
    return -1;
  }
  created_ = true;
  return 0;
}

void FlashWindow::DestroyForm() {
  if (!form_ || formDestroyed_) return;
  formDestroyed_ = true;
  Dispatch(FormEvent::FormDestroy);
}

void FlashWindow::OnDestroy() {
  // A job still running is let finish first: it uses the form.
  if (ui_) ui_->Close();
  DestroyForm();
  // Closing the main window ends the program; a failed creation is ended by Create's caller.
  if (created_) application_.PostQuit(0);
}

LRESULT FlashWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate();
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_COMMAND:
      OnCommand(wParam, lParam);
      return 0;
    case Win32UiThread::kMessage:
      if (ui_) ui_->RunQueued();
      return 0;
    // While a job runs, no request closes the window or ends the session.
    case WM_CLOSE:
      if (frame_.CloseRefused()) return 0;
      break;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE && frame_.CloseRefused()) return 0;
      break;
    case WM_QUERYENDSESSION:
      return frame_.CloseBlocked() ? FALSE : TRUE;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wParam) != WA_INACTIVE);
      return 0;
    case WM_SETCURSOR:
      if (cursor_.Hourglass()) {
        SetCursor(LoadCursor(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK FlashWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    auto* window = static_cast<FlashWindow*>(create->lpCreateParams);
    window->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
  }
  auto* window = reinterpret_cast<FlashWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (window == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    window->hwnd_ = nullptr;
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  // No exception may unwind into the system's code that called us.
  LRESULT result = 0;
  RunGuarded(window->Dialogs(), [&] { result = window->HandleMessage(message, wParam, lParam); });
  return result;
}

}  // namespace cdflash::win32
