// Flash mode through the program's own start-up (RunApplication, the real
// window and message boxes) over simulated drives: the warning, then either
// the window with the qualifying drives, or the error box, or nothing at all.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QTimer>
#include <memory>

#include "LoopHangGuard.h"
#include "ModalBoxAnswerer.h"
#include "ShowWatcher.h"
#include "device/Cddrive.h"
#include "support/FlashModeHarness.h"
#include "ui/qt/FlashWindow.h"
#include "app/FlashForm.h"
#include "ui/qt/RunApplication.h"

namespace cdflash::qtui::test {
namespace {

using Action = ExpectedBox::Action;
using cdflash::test::AcmeDrive;
using cdflash::test::AcmePackage;
using cdflash::test::OtherDrive;

const char* const kWarning =
    "\nWARNING:\n\nThis flash utility only supports ACME CRW-4012 drive with firmware:1.00-1.50. "
    "We recommend you close all applications in order to run this update! Don't turn off the "
    "system while the flash is in progress!\n\nDo you wish to continue?\n";
const char* const kErrorWithHeading =
    "\nERROR:\n\nCan't found CRW-4012 firmware: 1.00-1.50 drive !\n"
    "\nThis flash utility only supports CRW-4012 firmware: 1.00-1.50\n"
    "\nDetected drives:\n-----------------------------------------------------------\n";

ExpectedBox Warning(const char* button, Action action = Action::Click) {
  return {QStringLiteral("Warning"), QMessageBox::Warning, QString::fromLatin1(kWarning), action,
          QString::fromLatin1(button), {"&Yes", "&No"}};
}

// What the window showed when it opened.
struct OpenedWindow {
  QString title;
  QString label;
  QStringList entries;
  int selectedEntry = -1;
  QString shownText;  // what the closed drop-down displays
  bool shownTextFits = false;
  char selectedDrive = 0;
  char selectedAfterChoosingTheNext = 0;
  bool fileListHidden = false;
  int height = 0;
};

class Scale1FlashStartup : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(FlashWindow().logicalDpiY(), 120)
        << "run with QT_FONT_DPI=120 QT_ENABLE_HIGHDPI_SCALING=0";
  }
  void TearDown() override {
    EXPECT_FALSE(hangGuard.Hung()) << "the event loop did not end";
    for (const std::string& failure : boxes.Failures()) ADD_FAILURE() << failure;
  }

  // Runs the program over the package and the bench's drives. When the
  // window opens, records it, chooses the next entry of the drop-down list
  // with the keyboard, and closes the window.
  int Run(const cdflash::test::TestPackage& package = AcmePackage()) {
    char name[] = "cdflash";
    char* argv[] = {name, nullptr};
    return RunApplication(1, argv, [&](const FormControls& controls, const FormServices& services) {
      auto handlers = std::make_unique<TFlashForm>(controls, services, package.View());
      auto* window = dynamic_cast<FlashWindow*>(controls.window);
      TFlashForm* form = handlers.get();
      watcher = std::make_unique<ShowWatcher>(*window, [this, window, form] {
        Record(*window, *form);
        window->close();
      });
      return std::unique_ptr<IFormHandlers>(std::move(handlers));
    });
  }

  void Record(FlashWindow& window, TFlashForm& form) {
    auto* combo = dynamic_cast<QComboBox*>(window.ControlWidget("ComboBox"));
    opened.title = window.windowTitle();
    opened.label = dynamic_cast<QLabel*>(window.ControlWidget("SelectDriveLabel"))->text();
    for (int i = 0; i < combo->count(); ++i) opened.entries << combo->itemText(i);
    opened.selectedEntry = combo->currentIndex();
    opened.shownText = combo->currentText();
    QStyleOptionComboBox option;
    option.initFrom(combo);
    const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                       QStyle::SC_ComboBoxEditField, combo);
    opened.shownTextFits = combo->fontMetrics().horizontalAdvance(opened.shownText) <= field.width();
    opened.selectedDrive = form.Selected() != nullptr ? form.Selected()->letter : 0;
    opened.fileListHidden = window.ControlWidget("FileListBox1")->isHidden();
    opened.height = window.height();

    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);  // the user's choice: raises ComboBoxChange
    opened.selectedAfterChoosingTheNext =
        form.Selected() != nullptr ? form.Selected()->letter : 0;
  }

  bool WindowShown() const { return watcher != nullptr && watcher->shown; }

  sim::SimBench bench;  // outlives every drive the program opens
  LoopHangGuard hangGuard;  // a loop that nothing ends fails the test instead of hanging it
  ModalBoxAnswerer boxes;
  std::unique_ptr<ShowWatcher> watcher;
  OpenedWindow opened;
};

TEST_F(Scale1FlashStartup, YesOpensTheWindowWithTheQualifyingDrivesFirstOneSelected) {
  bench.platform.AddDrive(AcmeDrive("1.10"));
  bench.platform.AddDrive(OtherDrive());
  bench.platform.AddDrive(AcmeDrive("1.60"));  // above the range
  bench.platform.AddDrive(AcmeDrive("1.50"));
  boxes.Expect(Warning("&Yes"));

  EXPECT_EQ(Run(), 0);

  ASSERT_EQ(boxes.Seen().size(), 1u);
  EXPECT_EQ(boxes.Seen()[0].text, QString::fromLatin1(kWarning));
  ASSERT_TRUE(WindowShown());
  EXPECT_EQ(opened.title, QStringLiteral("ACME Flash V1.043 CRW-4012"));
  EXPECT_EQ(opened.label, QStringLiteral("Select the ACME drive you want to update:"));
  EXPECT_EQ(opened.entries, QStringList({"0-0-0 0: ACME    CRW-4012A       1.10",
                                         "0-0-0 3: ACME    CRW-4012A       1.50"}));
  EXPECT_EQ(opened.selectedEntry, 0);
  EXPECT_EQ(opened.shownText, opened.entries.value(0));
  EXPECT_TRUE(opened.shownTextFits) << "the drop-down cuts the identity text";
  EXPECT_EQ(opened.selectedDrive, '0');
  EXPECT_EQ(opened.selectedAfterChoosingTheNext, '3');
  EXPECT_TRUE(opened.fileListHidden);
  EXPECT_EQ(opened.height, 169 - 41);
}

TEST_F(Scale1FlashStartup, DecliningShowsNoWindowAndOpensNoDrive) {
  const sim::SimDrive& drive = bench.platform.AddDrive(AcmeDrive("1.10"));
  boxes.Expect(Warning("&No"));
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(WindowShown());
  EXPECT_EQ(drive.CommandCount(), 0u);
  EXPECT_EQ(CDDrive::OpenCount(), 0);
}

TEST_F(Scale1FlashStartup, ClosingTheWarningIsNoYes) {
  bench.platform.AddDrive(AcmeDrive("1.10"));
  boxes.Expect(Warning("", Action::Escape));
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(WindowShown());
  EXPECT_EQ(boxes.Seen().size(), 1u);
}

TEST_F(Scale1FlashStartup, NoQualifyingDriveShowsTheDetectedDrivesAndNoWindow) {
  bench.platform.AddDrive(OtherDrive());
  bench.platform.AddDrive(AcmeDrive("1.51"));
  boxes.Expect(Warning("&Yes"));
  boxes.Expect({QStringLiteral("Error"), QMessageBox::Critical, QString(), Action::Click,
                QStringLiteral("OK"), {"OK"}});

  EXPECT_EQ(Run(), 0);

  ASSERT_EQ(boxes.Seen().size(), 2u);
  EXPECT_EQ(boxes.Seen()[1].text, QString::fromLatin1(kErrorWithHeading) +
                                      "0-0-0 0: OTHER   DVD-ROM 16X     2.00\n"
                                      "0-0-0 1: ACME    CRW-4012A       1.51\n");
  EXPECT_FALSE(WindowShown());
  EXPECT_EQ(CDDrive::OpenCount(), 0);  // FormDestroy released the drive list
}

}  // namespace
}  // namespace cdflash::qtui::test
