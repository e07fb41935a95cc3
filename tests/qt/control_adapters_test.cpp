// The Qt control adapters: the user's actions and what only the widgets show.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCursor>
#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "LoopHangGuard.h"
#include "ui/qt/AppServices.h"
#include "ui/qt/FlashWindow.h"

namespace cdflash::qtui {
namespace {

class ControlAdapters : public ::testing::Test {
 protected:
  FlashWindow window;
  FormControls controls = window.Controls();
};

// What the program sets and reads is the control contract (tests/contract),
// the progress bar's read back from its widget; here: the user's actions,
// each raising exactly one event, and what only the Qt widgets do.

TEST_F(ControlAdapters, FileListClicksAndKeyboardMovesRaiseOneClickEach) {
  auto* list = qobject_cast<QListWidget*>(window.ControlWidget("FileListBox1"));
  ASSERT_NE(list, nullptr);
  window.show();
  controls.FileListBox1->SetItems({"A.BIN", "b.bin", "c.Bin"});
  QSignalSpy clicks(&window, &FlashWindow::FileListClicked);

  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(controls.FileListBox1->ItemIndex(), 1);

  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(clicks.count(), 2);
  EXPECT_EQ(controls.FileListBox1->ItemIndex(), 2);

  QTest::keyClick(list, Qt::Key_Down);  // already on the last row: nothing moves
  EXPECT_EQ(clicks.count(), 2);
}

TEST_F(ControlAdapters, ADisabledButtonTakesNoClick) {
  QSignalSpy clicks(&window, &FlashWindow::FlashButtonClicked);
  auto* button = qobject_cast<QPushButton*>(window.ControlWidget("FlashButton"));
  window.show();
  controls.FlashButton->SetCaption("Build");
  EXPECT_EQ(button->text(), QStringLiteral("Build"));
  controls.FlashButton->SetEnabled(false);
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(clicks.count(), 0);
  controls.FlashButton->SetEnabled(true);
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(clicks.count(), 1);
}

TEST(AppServices, HourglassIsAStateNotAStack) {
  WaitCursor cursor;
  cursor.SetHourglass();
  cursor.SetHourglass();
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  cursor.SetDefault();
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  cursor.SetDefault();
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(AppServices, AQuitPostedBeforeTheLoopEndsItAtOnce) {
  const test::LoopHangGuard hangGuard;
  ApplicationService application;
  application.PostQuit(3);
  EXPECT_TRUE(application.QuitPosted());
  EXPECT_EQ(QGuiApplication::exec(), 3);
  EXPECT_FALSE(hangGuard.Hung());
}

}  // namespace
}  // namespace cdflash::qtui
