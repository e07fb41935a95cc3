#pragma once
// The form as designed: controls in creation order, with position and size in
// pixels at 120 DPI and their tab order. Both front ends build from this table.

#include <array>
#include <string_view>

#include "app/Controls.h"

namespace cdflash {

inline constexpr int kDesignDpi = 120;

enum class ControlKind { Label, FileListBox, ComboBox, GroupBox, ProgressBar, Button };

struct ControlDesign {
  std::string_view name;
  ControlKind kind;
  Bounds bounds;
  int tabOrder;  // -1: takes no focus
};

inline constexpr Bounds kWindowDesignBounds{91, 84, 433, 206};
inline constexpr int kFontHeight = 20;  // character height, bold
inline constexpr int kItemHeight = 20;

inline constexpr std::array<ControlDesign, 6> kFormDesign{{
    {"SelectDriveLabel", ControlKind::Label, {0, 0, 4, 20}, -1},
    {"FileListBox1", ControlKind::FileListBox, {0, 64, 425, 41}, 4},
    {"ComboBox", ControlKind::ComboBox, {0, 24, 425, 28}, 0},
    {"GroupBox2", ControlKind::GroupBox, {0, 113, 425, 56}, 1},
    {"ProgressBar", ControlKind::ProgressBar, {8, 136, 321, 23}, 3},
    {"FlashButton", ControlKind::Button, {344, 136, 74, 25}, 2},
}};

inline constexpr const char* kFlashButtonCaption = "FLASH";

// Scales a design length to a screen of `dpi` the way the toolkit rounds
// (MulDiv: to nearest, halves away from zero).
constexpr int ScaleToDpi(int designPixels, int dpi) {
  const long long product = static_cast<long long>(designPixels) * dpi;
  const long long half = kDesignDpi / 2;
  return static_cast<int>(product >= 0 ? (product + half) / kDesignDpi
                                       : -((-product + half) / kDesignDpi));
}

}  // namespace cdflash
