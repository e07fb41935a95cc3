// The real window at the test prefix's 96 DPI: every control where the form
// design puts it, scaled by 0.8 and rounded as MulDiv rounds, its font, kind
// and first texts; the self-sizing client area.

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>
#include <tuple>

#include "WindowTestSupport.h"
#include "app/FormLayout.h"

// RECT lives in the global namespace: so must its comparison and printer.
static bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
[[maybe_unused]] static void PrintTo(const RECT& r, std::ostream* os) {
  *os << "{" << r.left << "," << r.top << " " << r.right - r.left << "x" << r.bottom - r.top << "}";
}

namespace cdflash::win32::test {
namespace {

RECT Rect(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }

class Dpi96Window : public ::testing::Test {
 protected:
  void SetUp() override {
    window = WindowOfEvents();
    ASSERT_EQ(window->Dpi(), 96) << "the test prefix runs at 96 DPI";
  }
  HWND Control(const char* name) { return window->ControlHandle(name); }
  std::unique_ptr<FlashWindow> window;
};

// The combo box keeps its designed height once it holds an entry.
TEST_F(Dpi96Window, ControlsSitWhereTheDesignSaysScaledByFourFifths) {
  window->ComboBox().Add("1-0-0 D: ACME    CRW-4012A       1.20");
  window->ComboBox().SetItemIndex(0);
  const std::map<std::string, RECT> expected{
      {"SelectDriveLabel", Rect(0, 0, 3, 16)},  {"FileListBox1", Rect(0, 51, 340, 33)},
      {"ComboBox", Rect(0, 19, 340, 22)},       {"GroupBox2", Rect(0, 90, 340, 45)},
      {"ProgressBar", Rect(6, 109, 257, 18)},   {"FlashButton", Rect(275, 109, 59, 20)},
  };
  for (const auto& [name, rect] : expected) {
    ASSERT_NE(Control(name.c_str()), nullptr) << name;
    EXPECT_EQ(ChildRect(Control(name.c_str())), rect) << name;
  }
}

// Every control is of its designed kind, created in table order, visible, and
// has the bold System font in Big5 at 16 pixels (character height 20 at 0.8),
// which the list items fit.
TEST_F(Dpi96Window, ControlsAreOfTheDesignedKindsInTableOrderVisibleWithTheBoldSystemFont) {
  struct Kind {
    const char* className;
    LONG style;
    LONG mask;
  };
  const std::map<std::string, Kind> kinds{
      {"SelectDriveLabel", {"Static", SS_NOPREFIX, SS_NOPREFIX}},
      // Unsorted: the list shows the files in the order the form gives them.
      {"FileListBox1", {"ListBox", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                        LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT}},
      {"ComboBox", {"ComboBox", CBS_DROPDOWNLIST, 0x3}},
      {"GroupBox2", {"Button", BS_GROUPBOX, BS_TYPEMASK}},
      {"ProgressBar", {"msctls_progress32", PBS_SMOOTH, PBS_SMOOTH}},
      {"FlashButton", {"Button", BS_PUSHBUTTON, BS_TYPEMASK}},
  };
  int previousId = 0;
  for (const ControlDesign& design : kFormDesign) {
    SCOPED_TRACE(design.name);
    HWND hwnd = Control(design.name.data());
    const Kind& kind = kinds.at(std::string(design.name));
    char className[64] = {};
    GetClassNameA(hwnd, className, sizeof className);
    EXPECT_STRCASEEQ(className, kind.className);
    EXPECT_EQ(GetWindowLongA(hwnd, GWL_STYLE) & kind.mask, kind.style);
    EXPECT_TRUE(GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE);
    EXPECT_GT(GetDlgCtrlID(hwnd), previousId);
    previousId = GetDlgCtrlID(hwnd);
    LOGFONTA font{};
    ASSERT_EQ(GetObjectA(reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0)), sizeof font, &font),
              static_cast<int>(sizeof font));
    EXPECT_EQ(std::make_tuple(font.lfHeight, font.lfWeight, int{font.lfCharSet}),
              std::make_tuple(-16L, LONG{FW_BOLD}, CHINESEBIG5_CHARSET));
    EXPECT_STREQ(font.lfFaceName, "System");
  }
  EXPECT_EQ(SendMessageA(Control("FileListBox1"), LB_GETITEMHEIGHT, 0, 0), 16);
  EXPECT_EQ(SendMessageA(Control("ComboBox"), CB_GETITEMHEIGHT, 0, 0), 16);
}

// What the form does not set before the window is shown: the progress bar's
// range and position and the group box's caption. (The button's caption is
// found by the Wine scripts and the application tests, the drop-down list's
// emptiness by the control contract.)
TEST_F(Dpi96Window, ProgressBarAndGroupBoxStartAsDesigned) {
  EXPECT_EQ(window->GroupBox2().Caption(), "");
  EXPECT_EQ(window->ProgressBar().Minimum(), 0);
  EXPECT_EQ(window->ProgressBar().Maximum(), 100);
  EXPECT_EQ(window->ProgressBar().Position(), 0);
}

TEST_F(Dpi96Window, ProgressBarAndButtonAreDrawnAboveTheGroupBox) {
  for (const char* name : {"ProgressBar", "FlashButton"}) {
    const RECT rect = ChildRect(Control(name));
    const POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    EXPECT_EQ(ChildWindowFromPointEx(window->Handle(), centre, CWP_SKIPINVISIBLE), Control(name))
        << name;
  }
}

// The window sits at its design place; its client area is the bounding box
// of the visible controls.
TEST_F(Dpi96Window, ClientAreaFollowsTheVisibleControls) {
  RECT frame{};
  GetWindowRect(window->Handle(), &frame);
  EXPECT_EQ(frame.left, 73);  // 91 and 84 at 0.8
  EXPECT_EQ(frame.top, 67);
  EXPECT_EQ(ClientSize(window->Handle()).cx, 340);
  EXPECT_EQ(ClientSize(window->Handle()).cy, 135);
  // The flash-mode move: the lowest three controls go up by the list's height.
  for (IControl* control : std::initializer_list<IControl*>{
           &window->GroupBox2(), &window->ProgressBar(), &window->FlashButton()}) {
    control->SetTop(control->GetBounds().top - 41);
  }
  EXPECT_EQ(ClientSize(window->Handle()).cy, 103);  // 58 + 45
  window->FileListBox1().SetVisible(false);
  EXPECT_EQ(ClientSize(window->Handle()).cy, 103);
  window->GroupBox2().SetVisible(false);
  window->ProgressBar().SetVisible(false);
  window->FlashButton().SetVisible(false);
  EXPECT_EQ(ClientSize(window->Handle()).cy, 41);  // the combo box: 19 + 22
  window->FileListBox1().SetVisible(true);
  EXPECT_EQ(ClientSize(window->Handle()).cy, 84);  // the list: 51 + 33
  EXPECT_EQ(ClientSize(window->Handle()).cx, 340);
}

}  // namespace
}  // namespace cdflash::win32::test
