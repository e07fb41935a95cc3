// The control adapters: what the core sets reads back unchanged, program
// changes raise no events, user actions raise exactly one.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "ui/qt/AppServices.h"
#include "ui/qt/FlashWindow.h"

namespace cdflash::qtui {
namespace {

class ControlAdapters : public ::testing::Test {
 protected:
  FlashWindow window;
  FormControls controls = window.Controls();
};

// --- Drop-down list ---------------------------------------------------------

TEST_F(ControlAdapters, ComboBoxAddsWithoutSelectingAndReturnsTheBytesItWasGiven) {
  const std::string big5 = "\xA4\xA4\xA4\xE5 0-0-0 D: DRIVE";  // not valid UTF-8
  controls.ComboBox->Add(big5);
  controls.ComboBox->Add("second");
  EXPECT_EQ(controls.ComboBox->ItemIndex(), -1);
  EXPECT_EQ(controls.ComboBox->Count(), 2);
  EXPECT_EQ(controls.ComboBox->Item(0), big5);
  EXPECT_EQ(controls.ComboBox->Item(2), "");
  EXPECT_EQ(controls.ComboBox->Item(-1), "");

  controls.ComboBox->SetItemIndex(1);
  controls.ComboBox->Insert(0, "first");
  EXPECT_EQ(controls.ComboBox->Item(controls.ComboBox->ItemIndex()), "second");
  controls.ComboBox->Delete(controls.ComboBox->ItemIndex());
  EXPECT_EQ(controls.ComboBox->ItemIndex(), -1);
  controls.ComboBox->Delete(7);  // out of range: nothing happens
  EXPECT_EQ(controls.ComboBox->Count(), 2);
  controls.ComboBox->SetItemIndex(5);
  EXPECT_EQ(controls.ComboBox->ItemIndex(), -1);
  controls.ComboBox->Clear();
  EXPECT_EQ(controls.ComboBox->Count(), 0);
}

TEST_F(ControlAdapters, OnlyTheUsersChoiceRaisesComboBoxChange) {
  QSignalSpy changes(&window, &FlashWindow::ComboBoxChanged);
  controls.ComboBox->Add("0-0-0 0: A");
  controls.ComboBox->Add("0-1-0 1: B");
  controls.ComboBox->SetItemIndex(0);
  controls.ComboBox->SetItemIndex(1);
  controls.ComboBox->Delete(1);
  EXPECT_EQ(changes.count(), 0);

  controls.ComboBox->Add("0-1-0 1: B");
  controls.ComboBox->SetItemIndex(0);
  QTest::keyClick(window.ControlWidget("ComboBox"), Qt::Key_Down);
  EXPECT_EQ(changes.count(), 1);
  EXPECT_EQ(controls.ComboBox->ItemIndex(), 1);
}

// --- File list --------------------------------------------------------------

class FileListBox : public ControlAdapters {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    for (const char* name : {"A.BIN", "b.bin", "c.Bin", "d.txt", "e.hex", "f.bin.txt"}) {
      Touch(name);
    }
    list = qobject_cast<QListWidget*>(window.ControlWidget("FileListBox1"));
    ASSERT_NE(list, nullptr);
    window.show();
  }
  void Touch(const char* name) {
    QFile file(dir.filePath(QString::fromLatin1(name)));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  void ClickRow(int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
  }
  std::vector<std::string> Items() const {
    std::vector<std::string> items;
    for (int i = 0; i < controls.FileListBox1->Count(); ++i) {
      items.push_back(controls.FileListBox1->Item(i));
    }
    return items;
  }

  QTemporaryDir dir;
  QListWidget* list = nullptr;
};

TEST_F(FileListBox, ListsTheFilesThatMatchAnyPatternOfTheMaskIgnoringCase) {
  controls.FileListBox1->SetDirectory(dir.path().toStdString());
  controls.FileListBox1->SetMask("*.bin;*.HEX");
  EXPECT_EQ(Items(), (std::vector<std::string>{"A.BIN", "b.bin", "c.Bin", "e.hex"}));
  EXPECT_EQ(controls.FileListBox1->Mask(), "*.bin;*.HEX");

  controls.FileListBox1->SetMask("?.TXT");
  EXPECT_EQ(Items(), (std::vector<std::string>{"d.txt"}));
  controls.FileListBox1->SetMask("");
  EXPECT_TRUE(Items().empty());
}

TEST_F(FileListBox, UpdateReadsTheDirectoryAgainAndClearsTheSelection) {
  controls.FileListBox1->SetDirectory(dir.path().toStdString());
  controls.FileListBox1->SetMask("*.bin");
  ClickRow(0);
  ASSERT_EQ(controls.FileListBox1->ItemIndex(), 0);

  Touch("0.bin");
  QSignalSpy clicks(&window, &FlashWindow::FileListClicked);
  controls.FileListBox1->Update();
  EXPECT_EQ(Items().front(), "0.bin");
  EXPECT_EQ(controls.FileListBox1->ItemIndex(), -1);
  EXPECT_EQ(controls.FileListBox1->FileName(), "");
  EXPECT_EQ(clicks.count(), 0);
}

TEST_F(FileListBox, ClicksAndKeyboardMovesRaiseOneClickEach) {
  controls.FileListBox1->SetDirectory(dir.path().toStdString() + "/");
  controls.FileListBox1->SetMask("*.bin");
  QSignalSpy clicks(&window, &FlashWindow::FileListClicked);

  ClickRow(1);
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(controls.FileListBox1->FileName(), dir.path().toStdString() + "/b.bin");

  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(clicks.count(), 2);
  EXPECT_EQ(controls.FileListBox1->Item(controls.FileListBox1->ItemIndex()), "c.Bin");

  QTest::keyClick(list, Qt::Key_Down);  // already on the last row: nothing moves
  EXPECT_EQ(clicks.count(), 2);
}

TEST_F(FileListBox, FileNameIsEmptyWhileNothingIsSelected) {
  controls.FileListBox1->SetDirectory(dir.path().toStdString());
  controls.FileListBox1->SetMask("*.hex");
  EXPECT_EQ(controls.FileListBox1->FileName(), "");
  ClickRow(0);
  EXPECT_EQ(controls.FileListBox1->FileName(), dir.path().toStdString() + "/e.hex");
}

// --- Progress bar, label, group box, button, window --------------------------

TEST_F(ControlAdapters, ProgressBarTakesTheFiveBankImageLength) {
  const auto* bar = qobject_cast<QProgressBar*>(window.ControlWidget("ProgressBar"));
  controls.ProgressBar->SetRange(0, 0x50000);
  controls.ProgressBar->SetPosition(0x4C000);
  EXPECT_EQ(bar->maximum(), 0x50000);
  EXPECT_EQ(bar->value(), 0x4C000);

  controls.ProgressBar->SetStep(0x4000);
  controls.ProgressBar->StepIt();
  controls.ProgressBar->StepIt();
  EXPECT_EQ(controls.ProgressBar->Position(), 0x50000);  // clamped to the maximum
  controls.ProgressBar->StepBy(-0x60000);
  EXPECT_EQ(controls.ProgressBar->Position(), 0);
  controls.ProgressBar->StepBy(1LL << 62);
  EXPECT_EQ(controls.ProgressBar->Position(), 0x50000);
}

TEST_F(ControlAdapters, ProgressBarKeepsItsPositionInsideANewRange) {
  controls.ProgressBar->SetPosition(80);
  controls.ProgressBar->SetRange(0, 50);
  EXPECT_EQ(controls.ProgressBar->Position(), 50);
  controls.ProgressBar->SetRange(60, 100);
  EXPECT_EQ(controls.ProgressBar->Position(), 60);
  controls.ProgressBar->SetPosition(1000);
  EXPECT_EQ(controls.ProgressBar->Position(), 100);
}

TEST_F(ControlAdapters, LabelGrowsWithItsTextAndTheWindowWithIt) {
  const std::string text = "Select the TESTVENDOR drive you want to update and more text:";
  controls.SelectDriveLabel->SetText(text);
  EXPECT_EQ(controls.SelectDriveLabel->Text(), text);
  const QWidget* label = window.ControlWidget("SelectDriveLabel");
  EXPECT_GT(label->width(), 340);
  EXPECT_EQ(label->height(), 16);
  EXPECT_EQ(window.width(), label->width());
  EXPECT_GT(controls.SelectDriveLabel->GetBounds().width, 425);

  controls.SelectDriveLabel->SetText("");
  EXPECT_EQ(window.width(), 340);
  EXPECT_EQ(controls.SelectDriveLabel->GetBounds().width, 4);
}

TEST_F(ControlAdapters, ButtonAndGroupBoxShowTheirCaptions) {
  QSignalSpy clicks(&window, &FlashWindow::FlashButtonClicked);
  auto* button = qobject_cast<QPushButton*>(window.ControlWidget("FlashButton"));
  window.show();
  controls.FlashButton->SetCaption("Build");
  controls.FlashButton->SetEnabled(false);
  EXPECT_EQ(button->text(), QStringLiteral("Build"));
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(clicks.count(), 0);
  controls.FlashButton->SetEnabled(true);
  EXPECT_TRUE(controls.FlashButton->Enabled());
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(clicks.count(), 1);

  controls.GroupBox2->SetCaption("Write Buffer> 05 24 00. 02, 0000");
  EXPECT_EQ(controls.GroupBox2->Caption(), "Write Buffer> 05 24 00. 02, 0000");
  controls.GroupBox2->Repaint();
}

// --- Cursor and application -------------------------------------------------

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
  QTimer hangGuard;  // ends a loop that the request failed to end
  hangGuard.setSingleShot(true);
  QObject::connect(&hangGuard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
  hangGuard.start(10000);

  ApplicationService application;
  application.PostQuit(3);
  EXPECT_TRUE(application.QuitPosted());
  EXPECT_EQ(QGuiApplication::exec(), 3);
}

}  // namespace
}  // namespace cdflash::qtui
