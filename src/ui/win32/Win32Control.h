#pragma once
// Common ground of the control adapters: one child window, its geometry kept
// in design pixels (120 DPI) and placed on the screen scaled with ScaleToDpi.
// The design bounds are the truth: the core does its arithmetic on them, and
// scaling back from screen pixels would lose a pixel here and there.

#include <windows.h>

#include "app/Controls.h"
#include "ui/win32/LayoutHost.h"

namespace cdflash::win32 {

// How to create the child window of one control.
struct ChildWindowSpec {
  const char* className;
  DWORD style;    // WS_CHILD, WS_VISIBLE and WS_CLIPSIBLINGS are added
  DWORD exStyle;
  int id;         // control identifier in WM_COMMAND
};

class Win32Control : public virtual IControl {
 public:
  Win32Control(HWND parent, const ChildWindowSpec& child, const Bounds& design, HFONT font,
               LayoutHost& host);
  ~Win32Control() override = default;
  Win32Control(const Win32Control&) = delete;
  Win32Control& operator=(const Win32Control&) = delete;

  HWND Handle() const { return hwnd_; }

  Bounds GetBounds() const override { return design_; }
  void SetTop(int top) override;
  // The control's own visibility, whether or not the window is shown yet.
  bool Visible() const override;
  void SetVisible(bool visible) override;

 protected:
  int Scale(int designPixels) const;
  int Unscale(int screenPixels) const;
  // Moves the child window to the scaled design bounds.
  virtual void Place();

  HWND hwnd_;
  Bounds design_;
  LayoutHost& host_;
};

}  // namespace cdflash::win32
