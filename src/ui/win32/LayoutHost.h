#pragma once
// What a control adapter needs from the window that holds it: the screen
// resolution its design pixels are scaled to, and a way to tell the window
// that a control moved, resized, appeared or disappeared, so the self-sizing
// window can fit itself around its visible controls again.

namespace cdflash::win32 {

class LayoutHost {
 public:
  virtual ~LayoutHost() = default;
  virtual int Dpi() const = 0;
  virtual void ControlsChanged() = 0;
};

}  // namespace cdflash::win32
