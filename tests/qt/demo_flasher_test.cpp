// The real program, end to end: a flasher made from cdflash-demo (its
// package written into a copy of the file, as the builder does), started on
// a private Xvfb display and answered with xdotool like a user would.

#include <gtest/gtest.h>

#include <QFile>

#include "ProgramOnDisplay.h"

namespace cdflash::qtui::test {
namespace {

using DemoFlasher = ProgramOnDisplay;

// The drives come from the file next to the program; after Yes to the
// warning the main window shows with its caption, and closing it ends the
// program. Which drives qualify and what the boxes say is the form's.
TEST_F(DemoFlasher, YesOnTheWarningOpensTheMainWindowOverTheDrivesFile) {
  QFile drives(dir.filePath(QStringLiteral("cdflash-demo.drives")));
  ASSERT_TRUE(drives.open(QIODevice::WriteOnly));
  drives.write("OTHER|DVD-ROM 16X|2.00\nACME|CRW-4012A|1.20\n");
  drives.close();

  // make_test_flasher's default package: ACME CRW-4012, revisions 1.00-1.50.
  const QString flasher = dir.filePath(QStringLiteral("acme-flasher"));
  const ToolRun made = RunTool(BuiltPath(CDFLASH_MAKE_TEST_FLASHER), {BuiltPath(CDFLASH_DEMO_PROGRAM), flasher});
  ASSERT_EQ(made.exitCode, 0) << made.errors.toStdString();
  ASSERT_TRUE(QFile::setPermissions(flasher, QFile::permissions(flasher) | QFile::ExeOwner));
  Start(flasher);
  const QString warning = WaitForWindow(QStringLiteral("^Warning$"));
  ASSERT_FALSE(warning.isEmpty()) << "no warning box";
  EXPECT_EQ(TitleShown(warning), "Warning");
  ASSERT_TRUE(PressUntilGone(warning, QStringLiteral("^Warning$"), "Return"));

  const QString window = WaitForWindow(QStringLiteral("^ACME Flash V1\\.043 CRW-4012$"));
  ASSERT_FALSE(window.isEmpty()) << "no main window";
  EXPECT_EQ(TitleShown(window), "ACME Flash V1.043 CRW-4012");
  EXPECT_FALSE(WindowShown(QStringLiteral("^Error$")));

  CloseAndExpectExitZero(window);
  EXPECT_TRUE(Output().contains("2 simulated drive(s) from ")) << "the drives file was not read";
}

}  // namespace
}  // namespace cdflash::qtui::test
