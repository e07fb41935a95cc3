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
  char name[] = "cdflash";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(RunApplication(1, argv, [&](const FormControls& controls, const FormServices& services) {
              auto form = std::make_unique<TFlashForm>(controls, services, package.View());
              auto* window = dynamic_cast<FlashWindow*>(controls.window);
              watcher = std::make_unique<ShowWatcher>(*window, [window, f = form.get()] {
                auto* combo = dynamic_cast<QComboBox*>(window->ControlWidget("ComboBox"));
                EXPECT_EQ(window->windowTitle(), QStringLiteral("ACME Flash V1.043 CRW-4012"));
                EXPECT_EQ(dynamic_cast<QLabel*>(window->ControlWidget("SelectDriveLabel"))->text(),
                          QStringLiteral("Select the ACME drive you want to update:"));
                QStringList entries;
                for (int i = 0; i < combo->count(); ++i) entries << combo->itemText(i);
                EXPECT_EQ(entries, QStringList({"0-0-0 0: ACME    CRW-4012A       1.10",
                                                "0-0-0 2: ACME    CRW-4012A       1.50"}));
                EXPECT_EQ(combo->currentText(), entries.value(0));
                QStyleOptionComboBox option;
                option.initFrom(combo);
                const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                                   QStyle::SC_ComboBoxEditField, combo);
                EXPECT_LE(combo->fontMetrics().horizontalAdvance(combo->currentText()), field.width())
                    << "the drop-down cuts the identity text";
                EXPECT_TRUE(window->ControlWidget("FileListBox1")->isHidden());
                EXPECT_EQ(window->height(), 169 - 41);  // no band where the file list was
                const auto selected = [f] { return f->Selected() != nullptr ? f->Selected()->letter : 0; };
                EXPECT_EQ(selected(), '0');
                combo->setFocus();
                QTest::keyClick(combo, Qt::Key_Down);  // the user's choice: raises ComboBoxChange
                EXPECT_EQ(selected(), '2');
                window->close();
              });
              return std::unique_ptr<IFormHandlers>(std::move(form));
            }),
            0);
  EXPECT_FALSE(hangGuard.Hung()) << "the event loop did not end";
  EXPECT_TRUE(watcher && watcher->shown);
}

}  // namespace
}  // namespace cdflash::qtui::test
