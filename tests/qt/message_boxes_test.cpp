// The message boxes: titles, icons, buttons, answers, placement, plain text.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include "ModalBoxAnswerer.h"
#include "ui/qt/MessageBoxes.h"

namespace cdflash::qtui::test {
namespace {

using Action = ExpectedBox::Action;

class MessageBoxesTest : public ::testing::Test {
 protected:
  ExpectedBox Box(const char* title, QMessageBox::Icon icon, QStringList buttons,
                  Action action = Action::Click, const char* button = "OK") {
    return {QString::fromLatin1(title), icon, QString(), action, QString::fromLatin1(button),
            std::move(buttons)};
  }

  ModalBoxAnswerer boxes;
  MessageBoxes dialogs;
};

// A Yes/No box answers what was clicked, and closing it is neither Yes nor
// No. A confirmation is a question; Enter says Yes, but not to the restart,
// whose default button is No.
TEST_F(MessageBoxesTest, YesNoBoxesAnswerWhatTheUserDid) {
  const QStringList yesNo{"&Yes", "&No"};
  boxes.Expect(Box("Warning", QMessageBox::Warning, yesNo, Action::Click, "&Yes"));
  boxes.Expect(Box("Warning", QMessageBox::Warning, yesNo, Action::Click, "&No"));
  boxes.Expect(Box("Warning", QMessageBox::Warning, yesNo, Action::Escape));
  boxes.Expect(Box("Warning", QMessageBox::Warning, yesNo, Action::Close));
  boxes.Expect(Box("Confirm", QMessageBox::Question, yesNo, Action::Close));
  boxes.Expect(Box("Confirm", QMessageBox::Question, yesNo, Action::Enter));
  boxes.Expect(Box("Confirm", QMessageBox::Question, yesNo, Action::Enter));
  EXPECT_EQ(dialogs.WarningYesNo("\nWARNING:\nGo on?"), Answer::Yes);
  EXPECT_EQ(dialogs.WarningYesNo("\nWARNING:\nGo on?"), Answer::No);
  EXPECT_EQ(dialogs.WarningYesNo("x"), Answer::Closed);
  EXPECT_EQ(dialogs.WarningYesNo("x"), Answer::Closed);
  EXPECT_EQ(dialogs.ConfirmYesNo("x"), Answer::Closed);
  EXPECT_EQ(dialogs.ConfirmYesNo("Update the firmware?"), Answer::Yes);
  EXPECT_EQ(dialogs.ConfirmYesNoDefaultNo("Restart now?"), Answer::No);
}

TEST_F(MessageBoxesTest, OneButtonBoxesHaveTheirTitlesAndIcons) {
  boxes.Expect(Box("Warning", QMessageBox::Warning, {"OK"}));
  boxes.Expect(Box("Error", QMessageBox::Critical, {"OK"}));
  boxes.Expect(Box("Flash utility", QMessageBox::NoIcon, {"OK"}));
  boxes.Expect(Box("Flash utility", QMessageBox::Critical, {"OK"}));
  dialogs.WarningOk("w");
  dialogs.Error("e");
  dialogs.Message("m");
  dialogs.Exception("x.");
}

TEST_F(MessageBoxesTest, BoxesAreApplicationModalCentredAndPlainText) {
  boxes.Expect(Box("Error", QMessageBox::Critical, {"OK"}));
  const std::string text = "\nERROR:\n<b>0-0-0 0: VENDOR  PRODUCT</b> & more\n";
  dialogs.Error(text);
  ASSERT_EQ(boxes.Seen().size(), 1u);
  const SeenBox& seen = boxes.Seen()[0];
  EXPECT_EQ(seen.text, QString::fromStdString(text));
  EXPECT_TRUE(seen.plainText);
  EXPECT_TRUE(seen.applicationModal);
  const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
  EXPECT_LE((seen.centre - screenCentre).manhattanLength(), 2);
}

}  // namespace
}  // namespace cdflash::qtui::test
