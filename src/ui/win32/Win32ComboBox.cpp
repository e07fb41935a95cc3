#include "ui/win32/Win32ComboBox.h"

#include <string>

namespace cdflash::win32 {

namespace {
constexpr ChildWindowSpec ChildFor(int id) {
  return {"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, id};
}
constexpr int kDropDownItems = 8;  // entries shown when the list is open
}  // namespace

Win32ComboBox::Win32ComboBox(HWND parent, int id, const Bounds& design, int itemHeight,
                             HFONT font, LayoutHost& host)
    : Win32Control(parent, ChildFor(id), design, font, host), itemHeight_(itemHeight) {
  Place();
}

// The height given to a drop-down combo box is that of the open list; the
// closed box is as tall as its selection field and frame, and the frame's
// share differs between systems. So the field height is corrected until the
// closed box has the designed height.
void Win32ComboBox::Place() {
  const int item = Scale(itemHeight_);
  const int target = Scale(design_.height);
  // A combo box that is not owner-drawn ignores CB_SETITEMHEIGHT for its list
  // items; its list box takes LB_SETITEMHEIGHT like any other.
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  if (GetComboBoxInfo(hwnd_, &info) && info.hwndList != nullptr) {
    SendMessageA(info.hwndList, LB_SETITEMHEIGHT, 0, item);
  }
  MoveWindow(hwnd_, Scale(design_.left), Scale(design_.top), Scale(design_.width),
             target + kDropDownItems * item + 2, TRUE);
  auto field = static_cast<int>(SendMessageA(hwnd_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
  for (int attempt = 0; attempt < 4; ++attempt) {
    RECT rect{};
    GetWindowRect(hwnd_, &rect);
    const int error = target - (rect.bottom - rect.top);
    if (error == 0 || field + error < 1) break;
    field += error;
    SendMessageA(hwnd_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
  }
}

int Win32ComboBox::Count() const {
  const LRESULT count = SendMessageA(hwnd_, CB_GETCOUNT, 0, 0);
  return count == CB_ERR ? 0 : static_cast<int>(count);
}

std::string Win32ComboBox::Item(int index) const {
  CheckListIndex(index, Count());
  const LRESULT length = SendMessageA(hwnd_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR || length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT copied = SendMessageA(hwnd_, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                      reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied == CB_ERR ? 0 : static_cast<std::size_t>(copied));
  return text;
}

void Win32ComboBox::Add(const std::string& text) {
  SendMessageA(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Win32ComboBox::Insert(int index, const std::string& text) {
  CheckListIndex(index, Count() + 1);
  SendMessageA(hwnd_, CB_INSERTSTRING, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(text.c_str()));
}

void Win32ComboBox::Delete(int index) {
  CheckListIndex(index, Count());
  SendMessageA(hwnd_, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void Win32ComboBox::Clear() { SendMessageA(hwnd_, CB_RESETCONTENT, 0, 0); }

int Win32ComboBox::ItemIndex() const {
  const LRESULT index = SendMessageA(hwnd_, CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? -1 : static_cast<int>(index);
}

void Win32ComboBox::SetItemIndex(int index) {
  if (index < -1 || index >= Count()) index = -1;
  SendMessageA(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void Win32ComboBox::Repaint() { RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }

}  // namespace cdflash::win32
