// The workspace that `make run` prepares: the template opens there in build
// mode with the sample models and BIN files, ready to build.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "QtFormHarness.h"
#include "XDisplay.h"
#include "support/FakeControls.h"

namespace cdflash::qtui::test {
namespace {

class Workspace : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    const ToolRun prepared = RunTool(QStringLiteral("bash"), {QStringLiteral(CDFLASH_PREPARE_WORKSPACE),
                                                              QStringLiteral(CDFLASH_PROGRAM), dir.path()});
    ASSERT_EQ(prepared.exitCode, 0) << prepared.errors.toStdString();
  }
  QTemporaryDir dir;
};

// In the window itself: every sample model is offered and the first one's
// BIN files are listed.
TEST_F(Workspace, WindowListsTheSampleModelsAndBinFiles) {
  cdflash::test::FakeSystem system;
  system.program = dir.filePath(QStringLiteral("cdflash")).toStdString();
  system.directory = dir.path().toStdString();
  const auto package = AnyDrivePackage("BLNK");
  QtForm qt(package.View(), &system);
  qt.Form().FormCreate();

  const FormControls controls = qt.Window().Controls();
  EXPECT_EQ(controls.ComboBox->Count(), 3);
  EXPECT_EQ(controls.ComboBox->Item(0), "1.00-1.59 QUILLON QR-4816A");
  ASSERT_EQ(controls.FileListBox1->Count(), 1);
  EXPECT_EQ(controls.FileListBox1->Item(0), "1.60.BIN");
  EXPECT_FALSE(qt.Application().QuitPosted());
}

// The real program started there shows its build-mode window with the first
// model's range in the caption.
TEST_F(Workspace, TemplateStartsInBuildModeThere) {
  XvfbDisplay display;
  if (!display.Start()) GTEST_SKIP() << display.Failure().toStdString();
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("DISPLAY"), display.Name());
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  environment.insert(QStringLiteral("LSAN_OPTIONS"),
                     QStringLiteral("suppressions=" CDFLASH_LSAN_SUPPRESSIONS ":print_suppressions=0"));
  QProcess program;
  program.setProcessEnvironment(environment);
  program.setWorkingDirectory(dir.path());
  program.start(dir.filePath(QStringLiteral("cdflash")), {});
  ASSERT_TRUE(program.waitForStarted(10000));

  const ToolRun found = RunTool(QStringLiteral("xdotool"),
                                {"search", "--sync", "--onlyvisible", "--name",
                                 "^ Flash V1\\.043 1\\.00-1\\.59 \\[Buiding\\]$"},
                                environment);
  const QString window = found.output.section(u'\n', 0, 0).trimmed();
  EXPECT_FALSE(window.isEmpty()) << "no build-mode window with the sample models";
  if (!window.isEmpty()) {
    ASSERT_TRUE(RequestWindowClose(display.Name(), window.toULong()));
  }
  EXPECT_TRUE(program.waitForFinished(10000));
  if (program.state() != QProcess::NotRunning) program.kill();
}

}  // namespace
}  // namespace cdflash::qtui::test
