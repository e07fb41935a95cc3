// The workspace that `make run` prepares: the template opens there in build
// mode with the sample models and BIN files, ready to build.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "QtFormHarness.h"
#include "ProgramOnDisplay.h"
#include "support/FakeControls.h"

namespace cdflash::qtui::test {
namespace {

// What `make run` prepares in `folder`: the template, the model table and BIN files.
void PrepareWorkspace(const QString& folder) {
  const ToolRun prepared = RunTool(QStringLiteral("bash"), {BuiltPath(CDFLASH_PREPARE_WORKSPACE),
                                                            BuiltPath(CDFLASH_PROGRAM), folder});
  ASSERT_EQ(prepared.exitCode, 0) << prepared.errors.toStdString();
}

class Workspace : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    ASSERT_NO_FATAL_FAILURE(PrepareWorkspace(dir.path()));
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
using WorkspaceProgram = ProgramOnDisplay;
TEST_F(WorkspaceProgram, TemplateStartsInBuildModeThere) {
  ASSERT_NO_FATAL_FAILURE(PrepareWorkspace(dir.path()));
  Start(dir.filePath(QStringLiteral("cdflash")));
  const QString window = WaitForWindow(QStringLiteral("^ Flash V1\\.043 1\\.00-1\\.59 \\[Buiding\\]$"));
  ASSERT_FALSE(window.isEmpty()) << "no build-mode window with the sample models";
  CloseAndExpectExitZero(window);
}

}  // namespace
}  // namespace cdflash::qtui::test
