// TFlashForm in the real window: where flash mode and build mode leave the
// controls, how the window follows them, and what FormDestroy releases.

#include <gtest/gtest.h>


#include <QCoreApplication>
#include <QFile>

#include "ModalBoxAnswerer.h"
#include "QtFormHarness.h"

namespace cdflash::qtui::test {
namespace {

using Action = ExpectedBox::Action;

ExpectedBox Warning(const char* button) {
  return {QStringLiteral("Warning"), QMessageBox::Warning, QStringLiteral("\nWARNING:\n"),
          Action::Click, QString::fromLatin1(button), {"&Yes", "&No"}};
}

// The model table that build mode reads next to the running program.
class ModelTableFile {
 public:
  ModelTableFile() : file_(QCoreApplication::applicationFilePath() + QStringLiteral(".INI")) {
    file_.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file_.write("[MODEL00]\nModel=TEST-RW 1\nInquiry=TESTVENDTEST-RW 1\nFW-Range=1.00-1.99\n"
                "BINMask=*.bin\nVendor=TESTVENDOR\nNote=none\n");
    file_.close();
  }
  ~ModelTableFile() { file_.remove(); }

 private:
  QFile file_;
};

class Scale1FormModes : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(FlashWindow().logicalDpiY(), 120)
        << "run with QT_FONT_DPI=120 QT_ENABLE_HIGHDPI_SCALING=0";
  }
  void ExpectNoBoxFailures() {
    for (const std::string& failure : boxes.Failures()) ADD_FAILURE() << failure;
  }
  ModalBoxAnswerer boxes;
};

TEST_F(Scale1FormModes, NoDriveHidesTheFileListAndKeepsOnlyTheDriveList) {
  NoDrivesPlatform noDrives;
  boxes.Expect(Warning("&Yes"));
  boxes.Expect({QStringLiteral("Error"), QMessageBox::Critical,
                QStringLiteral("Can't find ATAPI Drive !"), Action::Click, QStringLiteral("OK"),
                {"OK"}});
  const TestPackage package("FLSH");
  QtForm qt(package.View());
  qt.Form().FormCreate();
  ExpectNoBoxFailures();

  EXPECT_FALSE(qt.Window().Controls().FileListBox1->Visible());
  EXPECT_EQ(qt.Window().height(), 128);
  EXPECT_EQ(qt.Window().windowTitle(), QStringLiteral("TESTVENDOR Flash V1.043 TEST-RW 1"));
  EXPECT_EQ(qt.Window().Controls().ComboBox->ItemIndex(), -1);
  EXPECT_TRUE(qt.Application().QuitPosted());
}

TEST_F(Scale1FormModes, BuildModeStartsWithTheFileListShown) {
  const ModelTableFile table;
  const TestPackage package("BLNK");
  QtForm qt(package.View());
  qt.Form().FormCreate();
  ExpectNoBoxFailures();

  EXPECT_TRUE(qt.Form().InBuildMode());
  EXPECT_TRUE(qt.Window().Controls().FileListBox1->Visible());
  EXPECT_EQ(qt.Window().height(), 169);
  EXPECT_FALSE(qt.Window().CloseRequested());
  EXPECT_FALSE(qt.Application().QuitPosted());

  qt.DestroyWindow();
}

TEST_F(Scale1FormModes, WindowHeightFollowsTheVisibleControls) {
  const TestPackage package("FLSH");
  QtForm qt(package.View());
  const FormControls controls = qt.Window().Controls();
  ASSERT_EQ(qt.Window().height(), 169);

  controls.GroupBox2->SetVisible(false);
  controls.ProgressBar->SetVisible(false);
  EXPECT_EQ(qt.Window().height(), 161);  // the button's bottom edge
  controls.FlashButton->SetVisible(false);
  EXPECT_EQ(qt.Window().height(), 105);  // the file list's bottom edge
  controls.FileListBox1->SetVisible(false);
  EXPECT_EQ(qt.Window().height(), 52);  // the drop-down list's bottom edge

  controls.GroupBox2->SetVisible(true);
  EXPECT_EQ(qt.Window().height(), 169);
  controls.GroupBox2->SetTop(72);
  EXPECT_EQ(qt.Window().height(), 128);
}

}  // namespace
}  // namespace cdflash::qtui::test
