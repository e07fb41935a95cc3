#include "ui/win32/Win32FileListBox.h"

#include <string>

namespace cdflash::win32 {

namespace {
// Exact height as designed (no rounding to whole items); entries stay in the
// order they are added.
constexpr ChildWindowSpec ChildFor(int id) {
  return {"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
          WS_EX_CLIENTEDGE, id};
}
}  // namespace

Win32FileListBox::Win32FileListBox(HWND parent, int id, const Bounds& design, int itemHeight,
                                   HFONT font, LayoutHost& host)
    : Win32Control(parent, ChildFor(id), design, font, host) {
  SendMessageA(hwnd_, LB_SETITEMHEIGHT, 0, Scale(itemHeight));
}

void Win32FileListBox::SetItems(const std::vector<std::string>& names) {
  SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
  SendMessageA(hwnd_, LB_RESETCONTENT, 0, 0);
  for (const std::string& name : names) {
    SendMessageA(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

int Win32FileListBox::Count() const {
  const LRESULT count = SendMessageA(hwnd_, LB_GETCOUNT, 0, 0);
  return count == LB_ERR ? 0 : static_cast<int>(count);
}

std::string Win32FileListBox::Item(int index) const {
  CheckListIndex(index, Count());
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

void Win32FileListBox::SetItemIndex(int index) {
  if (index < 0 || index >= Count()) index = -1;
  SendMessageA(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

}  // namespace cdflash::win32
