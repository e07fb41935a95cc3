#pragma once
// The form as designed: controls in creation order, with position and size in
// pixels at 120 DPI and their tab order. Both front ends build from this table.

#include <array>
#include <cstddef>
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

// The positions in kFormDesign of the controls that take focus, in tab order.
inline constexpr auto kTabOrder = [] {
  constexpr std::size_t kStops = [] {
    std::size_t stops = 0;
    for (const ControlDesign& design : kFormDesign) stops += design.tabOrder >= 0 ? 1 : 0;
    return stops;
  }();
  std::array<std::size_t, kStops> order{};
  std::size_t next = 0;
  for (int tab = 0; next < kStops; ++tab) {
    for (std::size_t i = 0; i < kFormDesign.size(); ++i) {
      if (kFormDesign[i].tabOrder == tab) order[next++] = i;
    }
  }
  return order;
}();

// Makes the controls of the design in creation order through `make`, which
// has one function for each kind (Label, FileListBox, ComboBox, GroupBox,
// ProgressBar, Button) taking the control's design and returning it.
template <typename Maker>
FormControls MakeFormControls(IWindow* window, Maker& make) {
  FormControls c;
  c.window = window;
  for (const ControlDesign& design : kFormDesign) {
    switch (design.kind) {
      case ControlKind::Label: c.SelectDriveLabel = make.Label(design); break;
      case ControlKind::FileListBox: c.FileListBox1 = make.FileListBox(design); break;
      case ControlKind::ComboBox: c.ComboBox = make.ComboBox(design); break;
      case ControlKind::GroupBox: c.GroupBox2 = make.GroupBox(design); break;
      case ControlKind::ProgressBar: c.ProgressBar = make.ProgressBar(design); break;
      case ControlKind::Button: c.FlashButton = make.Button(design); break;
    }
  }
  return c;
}

// Flash mode's layout: the file list goes unused, and the group box, the
// progress bar and the button move up into its place.
inline void MoveUpIntoFileListPlace(const FormControls& c) {
  const int shift = c.FileListBox1->GetBounds().height;
  for (IControl* control : {static_cast<IControl*>(c.GroupBox2), static_cast<IControl*>(c.ProgressBar),
                            static_cast<IControl*>(c.FlashButton)}) {
    control->SetTop(control->GetBounds().top - shift);
  }
}

// Scales a design length to a screen of `dpi` the way the toolkit rounds
// (MulDiv: to nearest, halves away from zero).
constexpr int ScaleToDpi(int designPixels, int dpi) {
  const long long product = static_cast<long long>(designPixels) * dpi;
  const long long half = kDesignDpi / 2;
  return static_cast<int>(product >= 0 ? (product + half) / kDesignDpi
                                       : -((-product + half) / kDesignDpi));
}

}  // namespace cdflash
