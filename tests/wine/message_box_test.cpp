// The message boxes on the screen: titles, texts, buttons, icons and answers,
// centred on the work area. That a box disables the task's windows while it
// is up is seen with the program's own window (application_test).

#include <gtest/gtest.h>

#include <functional>

#include "WindowTestSupport.h"
#include "ui/win32/Win32Dialogs.h"

namespace cdflash::win32::test {
namespace {

void ExpectCentred(const RECT& box) {
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_NEAR((box.left + box.right) / 2, (work.left + work.right) / 2, 1);
  EXPECT_NEAR((box.top + box.bottom) / 2, (work.top + work.bottom) / 2, 1);
}

HICON SystemIcon(int id) { return id == 0 ? nullptr : LoadIconA(nullptr, MAKEINTRESOURCEA(id)); }
constexpr int kWarningIcon = 32515, kQuestionIcon = 32514, kErrorIcon = 32513;

// Each kind of box: pressing `press` on it gives `answer`, and Enter presses
// `enterPresses` (the restart question's default is No).
TEST(MessageBoxes, EachKindHasItsTitleButtonsIconAndAnswer) {
  using Show = std::function<Answer(Win32Dialogs&, const std::string&)>;
  // A box with OK alone answers nothing; here it stands as Yes.
  const auto ok = [](void (Win32Dialogs::*show)(const std::string&)) -> Show {
    return [show](Win32Dialogs& d, const std::string& text) { return (d.*show)(text), Answer::Yes; };
  };
  struct Row {
    const char* name;
    const char* title;
    Show show;
    int press, icon, enterPresses;
    Answer answer;
  };
  const Row rows[] = {
      {"warning, No", "Warning", &Win32Dialogs::WarningYesNo, IDNO, kWarningIcon, IDYES, Answer::No},
      {"warning, Yes", "Warning", &Win32Dialogs::WarningYesNo, IDYES, kWarningIcon, IDYES, Answer::Yes},
      {"confirmation", "Confirm", &Win32Dialogs::ConfirmYesNo, IDYES, kQuestionIcon, IDYES, Answer::Yes},
      {"restart question", "Confirm", &Win32Dialogs::ConfirmYesNoDefaultNo, IDYES, kQuestionIcon, IDNO,
       Answer::Yes},
      {"warning, OK", "Warning", ok(&Win32Dialogs::WarningOk), IDOK, kWarningIcon, IDOK, Answer::Yes},
      {"error", "Error", ok(&Win32Dialogs::Error), IDOK, kErrorIcon, IDOK, Answer::Yes},
      {"message", "Flash utility", ok(&Win32Dialogs::Message), IDOK, 0, IDOK, Answer::Yes},
      {"exception", "Flash utility", ok(&Win32Dialogs::Exception), IDOK, kErrorIcon, IDOK, Answer::Yes},
  };
  Win32Dialogs dialogs;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    BoxAnswerer answerer(row.title, row.press);
    EXPECT_EQ(row.show(dialogs, "\nWARNING:\nDo you wish to continue?\n"), row.answer);
    ASSERT_EQ(answerer.Seen().size(), 1u);
    const BoxSeen box = answerer.Seen()[0];
    EXPECT_EQ(box.text, "\nWARNING:\nDo you wish to continue?\n");
    EXPECT_EQ(box.hasOk, row.press == IDOK);
    EXPECT_EQ(box.hasYes && box.hasNo, row.press != IDOK);
    EXPECT_EQ(box.icon, SystemIcon(row.icon));
    EXPECT_EQ(box.defaultButton, row.enterPresses);
    ExpectCentred(box.rect);
  }
}

}  // namespace
}  // namespace cdflash::win32::test
