// From window messages to the form's handlers: which user actions raise
// which event (that changes by program raise none is the control contract's
// part), the keyboard's way through the controls, and the cursor.

#include <gtest/gtest.h>

#include <vector>

#include "WindowTestSupport.h"

namespace cdflash::win32::test {
namespace {

class WindowEvents : public ::testing::Test {
 protected:
  void SetUp() override {
    window = WindowOfEvents([this](FormEvent event, auto&, auto&) { events.push_back(event); }, &application);
    events.clear();  // FormCreate
  }
  void TearDown() override {
    window.reset();
    PumpMessages();
  }
  void Show() {
    window->Show();
    SetForegroundWindow(window->Handle());
    PumpMessages(50);
  }
  HWND Control(const char* name) { return window->ControlHandle(name); }
  // Runs `msg` through the loop's key handling; dispatches it when not handled.
  void Key(HWND target, UINT message, WPARAM key, LPARAM flags = 0) {
    const MSG msg{target, message, key, flags, 0, {}};
    if (!window->HandleDialogKey(msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    PumpMessages();
  }
  std::string FocusName() {
    for (const char* name : {"ComboBox", "FlashButton", "FileListBox1", "GroupBox2", "ProgressBar"}) {
      if (GetFocus() == Control(name)) return name;
    }
    return "?";
  }

  RecordingApplication application;
  std::vector<FormEvent> events;
  std::unique_ptr<FlashWindow> window;
};

TEST_F(WindowEvents, TheUsersChoiceInTheComboBoxRunsComboBoxChange) {
  for (const char* item : {"first", "second", "third"}) window->ComboBox().Add(item);
  window->ComboBox().SetItemIndex(0);
  Show();
  SetFocus(Control("ComboBox"));
  Key(Control("ComboBox"), WM_KEYDOWN, VK_DOWN);
  EXPECT_EQ(window->ComboBox().ItemIndex(), 1);
  EXPECT_EQ(events, std::vector<FormEvent>{FormEvent::ComboBoxChange});
}

TEST_F(WindowEvents, AClickOnAFileRunsFileListBox1Click) {
  window->FileListBox1().SetItems({"A100.BIN", "B200.BIN"});
  Show();
  HWND list = Control("FileListBox1");
  const int itemHeight = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
  const LPARAM second = MAKELPARAM(10, itemHeight + itemHeight / 2);
  SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, second);
  SendMessageA(list, WM_LBUTTONUP, 0, second);
  PumpMessages();
  EXPECT_EQ(window->FileListBox1().ItemIndex(), 1);
  EXPECT_EQ(events, std::vector<FormEvent>{FormEvent::FileListBox1Click});
}

TEST_F(WindowEvents, TheButtonRunsFlashButtonClickOnlyWhileEnabled) {
  SendMessageA(Control("FlashButton"), BM_CLICK, 0, 0);
  PumpMessages();
  EXPECT_EQ(events, std::vector<FormEvent>{FormEvent::FlashButtonClick});

  events.clear();
  window->FlashButton().SetEnabled(false);
  SendMessageA(Control("FlashButton"), BM_CLICK, 0, 0);
  PumpMessages();
  EXPECT_TRUE(events.empty());
}

// Tab orders 0..4 are ComboBox, GroupBox2, FlashButton, ProgressBar,
// FileListBox1; the group box and the progress bar take no focus, nor do
// hidden and disabled controls.
TEST_F(WindowEvents, ActivationFocusesTheFirstTabStopAndTabVisitsTheFocusableControlsInTabOrder) {
  Show();
  std::vector<std::string> visited{FocusName()};
  const auto tab = [&] {
    Key(GetFocus(), WM_KEYDOWN, VK_TAB);
    visited.push_back(FocusName());
  };
  for (int i = 0; i < 3; ++i) tab();
  window->FileListBox1().SetVisible(false);
  tab();
  tab();
  window->FlashButton().SetEnabled(false);
  tab();
  EXPECT_EQ(visited, (std::vector<std::string>{"ComboBox", "FlashButton", "FileListBox1", "ComboBox",
                                               "FlashButton", "ComboBox", "ComboBox"}));
}

TEST_F(WindowEvents, EnterOnTheButtonPressesIt) {
  Show();
  SetFocus(Control("FlashButton"));
  Key(Control("FlashButton"), WM_KEYDOWN, VK_RETURN);
  EXPECT_EQ(events, std::vector<FormEvent>{FormEvent::FlashButtonClick});
}

TEST_F(WindowEvents, AltF4InAnyControlClosesTheWindowAndRunsFormDestroy) {
  Show();
  SetFocus(Control("ComboBox"));
  Key(Control("ComboBox"), WM_SYSKEYDOWN, VK_F4, static_cast<LPARAM>(KF_ALTDOWN) << 16);
  PumpMessages(100);
  EXPECT_EQ(window->Handle(), nullptr);
  EXPECT_EQ(events, std::vector<FormEvent>{FormEvent::FormDestroy});
  EXPECT_EQ(application.exitCodes, std::vector<int>{0});  // closing the window ends the program
}

TEST_F(WindowEvents, WhileAJobRunsOnlyTheProgramsOwnCloseClosesTheWindow) {
  Show();
  HWND hwnd = window->Handle();
  window->Window().SetCloseBlocked(true);
  SendMessageA(hwnd, WM_CLOSE, 0, 0);
  SendMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  Key(Control("ComboBox"), WM_SYSKEYDOWN, VK_F4, static_cast<LPARAM>(KF_ALTDOWN) << 16);
  Key(hwnd, WM_SYSKEYDOWN, VK_F4, static_cast<LPARAM>(KF_ALTDOWN) << 16);
  PumpMessages(100);
  EXPECT_EQ(window->Handle(), hwnd);
  EXPECT_EQ(SendMessageA(hwnd, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), FALSE);

  window->Window().Close();
  PumpMessages(100);
  EXPECT_EQ(window->Handle(), nullptr);
}

TEST_F(WindowEvents, HourglassStaysWhileTheMouseMoves) {
  window->Cursor().SetHourglass();
  HWND button = Control("FlashButton");
  EXPECT_EQ(SendMessageA(button, WM_SETCURSOR, reinterpret_cast<WPARAM>(button),
                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
            TRUE);
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_WAIT));
  window->Cursor().SetDefault();
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));
  EXPECT_FALSE(window->Cursor().Hourglass());
}

}  // namespace
}  // namespace cdflash::win32::test
