// The message boxes on the screen: titles, texts, buttons, icons and answers,
// centred on the work area and modal to the task.

#include <gtest/gtest.h>

#include "WindowTestSupport.h"
#include "app/AppTexts.h"
#include "ui/win32/Win32Dialogs.h"

namespace cdflash::win32::test {
namespace {

void ExpectCentred(const RECT& box) {
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_NEAR((box.left + box.right) / 2, (work.left + work.right) / 2, 1);
  EXPECT_NEAR((box.top + box.bottom) / 2, (work.top + work.bottom) / 2, 1);
}

HICON SystemIcon(LPCSTR id) { return LoadIconA(nullptr, id); }

TEST(MessageBoxes, WarningAsksYesOrNo) {
  Win32Dialogs dialogs;
  {
    BoxAnswerer answerer("Warning", IDNO);
    EXPECT_EQ(dialogs.WarningYesNo("\nWARNING:\nDo you wish to continue?\n"), Answer::No);
    ASSERT_EQ(answerer.Seen().size(), 1u);
    const BoxSeen box = answerer.Seen()[0];
    EXPECT_EQ(box.text, "\nWARNING:\nDo you wish to continue?\n");
    EXPECT_TRUE(box.hasYes && box.hasNo);
    EXPECT_FALSE(box.hasOk);
    EXPECT_EQ(box.icon, SystemIcon(MAKEINTRESOURCEA(32515)));  // IDI_WARNING
    ExpectCentred(box.rect);
  }
  BoxAnswerer answerer("Warning", IDYES);
  EXPECT_EQ(dialogs.WarningYesNo("again"), Answer::Yes);
}

// A confirmation asks Yes or No with a question mark; Enter says Yes, but
// not to the restart, whose default button is No.
TEST(MessageBoxes, ConfirmationAsksYesOrNoWithAQuestionMark) {
  Win32Dialogs dialogs;
  BoxAnswerer answerer("Confirm", IDYES, 2);
  EXPECT_EQ(dialogs.ConfirmYesNo("Update 1.20 to 1.60?"), Answer::Yes);
  EXPECT_EQ(dialogs.ConfirmYesNoDefaultNo("Restart?"), Answer::Yes);
  ASSERT_EQ(answerer.Seen().size(), 2u);
  for (const BoxSeen& box : answerer.Seen()) {
    EXPECT_TRUE(box.hasYes && box.hasNo);
    EXPECT_EQ(box.icon, SystemIcon(MAKEINTRESOURCEA(32514)));  // IDI_QUESTION
  }
  EXPECT_EQ(answerer.Seen()[0].defaultButton, IDYES);
  EXPECT_EQ(answerer.Seen()[1].defaultButton, IDNO);
}

TEST(MessageBoxes, OneButtonBoxesHaveTheirTitlesAndIcons) {
  Win32Dialogs dialogs;
  struct Case {
    const char* title;
    void (Win32Dialogs::*show)(const std::string&);
    HICON icon;
  };
  const Case cases[] = {
      {"Warning", &Win32Dialogs::WarningOk, SystemIcon(MAKEINTRESOURCEA(32515))},
      {"Error", &Win32Dialogs::Error, SystemIcon(MAKEINTRESOURCEA(32513))},  // IDI_ERROR
      {"Flash utility", &Win32Dialogs::Message, nullptr},
      {"Flash utility", &Win32Dialogs::Exception, SystemIcon(MAKEINTRESOURCEA(32513))},
  };
  for (const Case& c : cases) {
    BoxAnswerer answerer(c.title, IDOK);
    (dialogs.*c.show)("text of the box");
    ASSERT_EQ(answerer.Seen().size(), 1u) << c.title;
    const BoxSeen box = answerer.Seen()[0];
    EXPECT_EQ(box.text, "text of the box") << c.title;
    EXPECT_TRUE(box.hasOk) << c.title;
    EXPECT_FALSE(box.hasYes || box.hasNo) << c.title;
    EXPECT_EQ(box.icon, c.icon) << c.title;
    ExpectCentred(box.rect);
  }
  EXPECT_STREQ(kApplicationTitle, "Flash utility");
}

TEST(MessageBoxes, ABoxDisablesTheTasksWindowsWhileItIsUp) {
  HWND other = CreateWindowExA(0, "STATIC", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(other, nullptr);
  bool enabledDuringBox = true;
  Win32Dialogs dialogs;
  {
    BoxAnswerer answerer("Error", IDOK, 1, [&](HWND) { enabledDuringBox = IsWindowEnabled(other) != FALSE; });
    dialogs.Error("modal");
  }
  EXPECT_FALSE(enabledDuringBox);
  EXPECT_TRUE(IsWindowEnabled(other));
  DestroyWindow(other);
}

}  // namespace
}  // namespace cdflash::win32::test
