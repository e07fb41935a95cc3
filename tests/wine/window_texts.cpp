// Prints what another process's main window shows, read through the Win32
// API: its caption, and each child window's class and text; for a combo box
// its entries and the selected one. Texts are read with WM_GETTEXT, which
// every system carries across processes (Wine does not carry CB_GETLBTEXT):
// a combo box's entries are selected one after the other to be read, which
// sends its owner no notification, and the selection is put back.
//   window_texts CLASS
// Exit code 0 when a visible top-level window of that class was found.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof(name));
  return name;
}

std::string TextOf(HWND window) {
  char text[512] = {};
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text),
                           SMTO_ABORTIFHUNG, 5000, &copied)) {
    return "(no answer)";
  }
  return std::string(text, std::min<std::size_t>(copied, sizeof(text) - 1));
}

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
  const std::string kind = ClassOf(child);
  std::printf("child %s visible=%d text=\"%s\"\n", kind.c_str(), IsWindowVisible(child) ? 1 : 0,
              TextOf(child).c_str());
  if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, kind.c_str(), -1, "ComboBox", -1) == CSTR_EQUAL) {
    const LRESULT count = SendMessageA(child, CB_GETCOUNT, 0, 0);
    std::printf("combo count=%ld selected=%ld\n", static_cast<long>(count),
                static_cast<long>(SendMessageA(child, CB_GETCURSEL, 0, 0)));
    const LRESULT selected = SendMessageA(child, CB_GETCURSEL, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      SendMessageA(child, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
      std::printf("item %ld \"%s\"\n", static_cast<long>(i), TextOf(child).c_str());
    }
    SendMessageA(child, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  }
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: window_texts CLASS\n");
    return 2;
  }
  const HWND window = FindWindowA(argv[1], nullptr);
  if (window == nullptr || !IsWindowVisible(window)) {
    std::printf("no visible window of class %s\n", argv[1]);
    return 1;
  }
  std::printf("caption \"%s\"\n", TextOf(window).c_str());
  EnumChildWindows(window, PrintChild, 0);
  return 0;
}
