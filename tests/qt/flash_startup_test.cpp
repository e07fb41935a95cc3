// Flash mode through the program's own start-up (RunApplication, the real
// window and message boxes) over simulated drives: what the window shows once
// the warning is answered Yes. Which drives qualify and what the boxes say is
// the form's (tests/form).

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>

#include "LoopHangGuard.h"
#include "ModalBoxAnswerer.h"
#include "ShowWatcher.h"
#include "app/FlashForm.h"
#include "support/FlashModeHarness.h"
#include "ui/qt/FlashWindow.h"
#include "ui/qt/RunApplication.h"

namespace cdflash::qtui::test {
namespace {

using cdflash::test::AcmeDrive;
using cdflash::test::OtherDrive;

TEST(Scale1FlashStartup, YesOpensTheWindowWithTheQualifyingDrivesAndTheKeyboardChoosesAmongThem) {
  ASSERT_EQ(FlashWindow().logicalDpiY(), 120) << "run with QT_FONT_DPI=120 QT_ENABLE_HIGHDPI_SCALING=0";
  sim::SimBench bench;  // outlives every drive the program opens
  bench.platform.AddDrive(AcmeDrive("1.10"));
  bench.platform.AddDrive(OtherDrive());
  bench.platform.AddDrive(AcmeDrive("1.50"));
  const LoopHangGuard hangGuard;
  ModalBoxAnswerer boxes;
  boxes.Expect({QStringLiteral("Warning"), QMessageBox::Warning, QStringLiteral("\nWARNING:\n"),
                ExpectedBox::Action::Click, QStringLiteral("&Yes"), {"&Yes", "&No"}});
  const cdflash::test::TestPackage package = cdflash::test::AcmePackage();

  // When the window opens: what it shows, then the next entry chosen with
  // the keyboard, then closed.
  std::unique_ptr<ShowWatcher> watcher;
  QString title, label, shownText;
  QStringList entries;
  bool shownTextFits = false, fileListHidden = false;
  int height = 0;
  char selected = 0, selectedAfterDown = 0;
  char name[] = "cdflash";
  char* argv[] = {name, nullptr};
  const int exitCode = RunApplication(1, argv, [&](const FormControls& controls, const FormServices& services) {
    auto form = std::make_unique<TFlashForm>(controls, services, package.View());
    auto* window = dynamic_cast<FlashWindow*>(controls.window);
    watcher = std::make_unique<ShowWatcher>(*window, [&, window, f = form.get()] {
      auto* combo = dynamic_cast<QComboBox*>(window->ControlWidget("ComboBox"));
      title = window->windowTitle();
      label = dynamic_cast<QLabel*>(window->ControlWidget("SelectDriveLabel"))->text();
      for (int i = 0; i < combo->count(); ++i) entries << combo->itemText(i);
      shownText = combo->currentText();
      QStyleOptionComboBox option;
      option.initFrom(combo);
      const QRect field =
          combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
      shownTextFits = combo->fontMetrics().horizontalAdvance(shownText) <= field.width();
      fileListHidden = window->ControlWidget("FileListBox1")->isHidden();
      height = window->height();
      selected = f->Selected() != nullptr ? f->Selected()->letter : 0;
      combo->setFocus();
      QTest::keyClick(combo, Qt::Key_Down);  // the user's choice: raises ComboBoxChange
      selectedAfterDown = f->Selected() != nullptr ? f->Selected()->letter : 0;
      window->close();
    });
    return std::unique_ptr<IFormHandlers>(std::move(form));
  });

  EXPECT_EQ(exitCode, 0);
  EXPECT_FALSE(hangGuard.Hung()) << "the event loop did not end";
  ASSERT_TRUE(watcher && watcher->shown);
  EXPECT_EQ(title, QStringLiteral("ACME Flash V1.043 CRW-4012"));
  EXPECT_EQ(label, QStringLiteral("Select the ACME drive you want to update:"));
  EXPECT_EQ(entries, QStringList({"0-0-0 0: ACME    CRW-4012A       1.10",
                                  "0-0-0 2: ACME    CRW-4012A       1.50"}));
  EXPECT_EQ(shownText, entries.value(0));
  EXPECT_TRUE(shownTextFits) << "the drop-down cuts the identity text";
  EXPECT_EQ(selected, '0');
  EXPECT_EQ(selectedAfterDown, '2');
  EXPECT_TRUE(fileListHidden);
  EXPECT_EQ(height, 169 - 41);  // no band where the file list was
}

}  // namespace
}  // namespace cdflash::qtui::test
