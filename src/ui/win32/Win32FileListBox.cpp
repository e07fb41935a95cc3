#include "ui/win32/Win32FileListBox.h"

#include <stdexcept>
#include <string>

#include "ui/win32/FileMask.h"

namespace cdflash::win32 {

namespace {
// Exact height as designed (no rounding to whole items), sorted like a file list.
constexpr ChildWindowSpec ChildFor(int id) {
  return {"LISTBOX",
          LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
          WS_EX_CLIENTEDGE, id};
}

std::string JoinPath(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  const char last = directory.back();
  return last == '\\' || last == '/' ? directory + name : directory + "\\" + name;
}
}  // namespace

Win32FileListBox::Win32FileListBox(HWND parent, int id, const Bounds& design, int itemHeight,
                                   HFONT font, LayoutHost& host)
    : Win32Control(parent, ChildFor(id), design, font, host) {
  SendMessageA(hwnd_, LB_SETITEMHEIGHT, 0, Scale(itemHeight));
}

void Win32FileListBox::SetDirectory(const std::string& directory) {
  directory_ = directory;
  Update();
}

void Win32FileListBox::SetMask(const std::string& mask) {
  mask_ = mask;
  Update();
}

void Win32FileListBox::Update() {
  SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
  SendMessageA(hwnd_, LB_RESETCONTENT, 0, 0);
  if (!directory_.empty()) {
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(JoinPath(directory_, "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      constexpr DWORD kSkipped = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
      do {
        if ((found.dwFileAttributes & kSkipped) == 0 && MatchesMask(found.cFileName, mask_)) {
          SendMessageA(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(found.cFileName));
        }
      } while (FindNextFileA(search, &found));
      FindClose(search);
    }
  }
  SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

int Win32FileListBox::Count() const {
  const LRESULT count = SendMessageA(hwnd_, LB_GETCOUNT, 0, 0);
  return count == LB_ERR ? 0 : static_cast<int>(count);
}

std::string Win32FileListBox::Item(int index) const {
  if (index < 0 || index >= Count()) {
    throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
  }
  const LRESULT length = SendMessageA(hwnd_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR || length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT copied = SendMessageA(hwnd_, LB_GETTEXT, static_cast<WPARAM>(index),
                                      reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied == LB_ERR ? 0 : static_cast<std::size_t>(copied));
  return text;
}

int Win32FileListBox::ItemIndex() const {
  const LRESULT index = SendMessageA(hwnd_, LB_GETCURSEL, 0, 0);
  return index == LB_ERR ? -1 : static_cast<int>(index);
}

std::string Win32FileListBox::FileName() const {
  const int index = ItemIndex();
  return index < 0 ? std::string() : JoinPath(directory_, Item(index));
}

void Win32FileListBox::SetItemIndex(int index) {
  SendMessageA(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

}  // namespace cdflash::win32
