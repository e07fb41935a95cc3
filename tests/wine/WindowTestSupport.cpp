#include "WindowTestSupport.h"

namespace cdflash::win32::test {

void PumpMessages(DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (ms > 0) Sleep(5);
  } while (GetTickCount() - start < ms);
}

RECT ChildRect(HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

SIZE ClientSize(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

namespace {
struct Search {
  const char* className;
  const char* title;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  if (process != GetCurrentProcessId()) return TRUE;
  char name[256] = {};
  GetClassNameA(hwnd, name, sizeof name);
  if (lstrcmpiA(name, search->className) != 0) return TRUE;
  if (search->title != nullptr) {
    char title[256] = {};
    GetWindowTextA(hwnd, title, sizeof title);
    if (lstrcmpA(title, search->title) != 0) return TRUE;
  }
  search->found = hwnd;
  return FALSE;
}

std::string DialogItemText(HWND box, int id) {
  char text[4096] = {};
  GetDlgItemTextA(box, id, text, sizeof text);
  return text;
}
}  // namespace

std::unique_ptr<FlashWindow> WindowOfEvents(EventFunction onEvent, IApplication* application) {
  if (!onEvent) onEvent = [](FormEvent, const FormControls&, const FormServices&) {};
  WindowOptions options;
  options.application = application;
  options.makeForm = FormOfEvents(std::move(onEvent));
  return FlashWindow::Create(std::move(options));
}

HWND FindOwnWindow(const char* className, const char* title) {
  Search search{className, title, nullptr};
  EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BoxAnswerer::BoxAnswerer(std::string title, int button, int count,
                         std::function<void(HWND)> onBox)
    : title_(std::move(title)), button_(button), count_(count), onBox_(std::move(onBox)) {
  thread_ = std::thread([this] { Run(); });
}

BoxAnswerer::~BoxAnswerer() {
  stop_ = true;
  thread_.join();
}

void BoxAnswerer::Run() {
  HWND last = nullptr;
  while (!stop_ && answered_ < count_) {
    HWND box = FindOwnWindow("#32770", title_.c_str());
    if (box == nullptr || box == last || !IsWindowVisible(box)) {
      if (box == nullptr) last = nullptr;
      Sleep(10);
      continue;
    }
    BoxSeen seen;
    seen.title = title_;
    // 0xFFFF is the static control that holds a message box's text.
    seen.text = DialogItemText(box, 0xFFFF);
    seen.hasOk = GetDlgItem(box, IDOK) != nullptr;
    seen.hasYes = GetDlgItem(box, IDYES) != nullptr;
    seen.hasNo = GetDlgItem(box, IDNO) != nullptr;
    for (const int id : {IDOK, IDYES, IDNO}) {
      const HWND button = GetDlgItem(box, id);
      if (button != nullptr && (GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
        seen.defaultButton = id;
      }
    }
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      const auto icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
      char name[32] = {};
      GetClassNameA(child, name, sizeof name);
      if (icon != nullptr && lstrcmpiA(name, "Static") == 0) seen.icon = icon;
    }
    GetWindowRect(box, &seen.rect);
    if (onBox_) onBox_(box);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      seen_.push_back(seen);
    }
    last = box;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, button_)));
    ++answered_;
  }
}

bool BoxAnswerer::WaitDone(DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (answered_ < count_) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(10);
  }
  return true;
}

std::vector<BoxSeen> BoxAnswerer::Seen() {
  std::lock_guard<std::mutex> lock(mutex_);
  return seen_;
}

}  // namespace cdflash::win32::test
