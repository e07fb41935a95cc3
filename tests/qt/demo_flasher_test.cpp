// The real program, end to end: a flasher made from cdflash-demo (its
// package written into a copy of the file, as the builder does), started on
// a private Xvfb display and answered with xdotool like a user would.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

#include "XDisplay.h"

namespace cdflash::qtui::test {
namespace {

class DemoFlasher : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!display.Start()) GTEST_SKIP() << display.Failure().toStdString();
    ASSERT_TRUE(dir.isValid());
    // make_test_flasher's default package: ACME CRW-4012, revisions 1.00-1.50.
    flasher = dir.filePath(QStringLiteral("acme-flasher"));
    const ToolRun made = RunTool(QStringLiteral(CDFLASH_MAKE_TEST_FLASHER),
                                 {QStringLiteral(CDFLASH_DEMO_PROGRAM), flasher});
    ASSERT_EQ(made.exitCode, 0) << made.errors.toStdString();
    ASSERT_TRUE(QFile::setPermissions(flasher, QFile::permissions(flasher) | QFile::ExeOwner));
  }

  void TearDown() override {
    if (program.state() != QProcess::NotRunning) {
      program.kill();
      program.waitForFinished(5000);
    }
    if (HasFailure()) std::printf("program output:\n%s\n", Output().constData());
  }

  // Everything the program has written so far.
  const QByteArray& Output() {
    output_ += program.readAll();
    return output_;
  }

  QProcessEnvironment OnDisplay() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display.Name());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("CDFLASH_DEMO_PACE"), QStringLiteral("instant"));
    // Sanitizer builds: what libdbus keeps till exit is not the program's leak.
    environment.insert(QStringLiteral("LSAN_OPTIONS"),
                       QStringLiteral("suppressions=" CDFLASH_LSAN_SUPPRESSIONS ":print_suppressions=0"));
    return environment;
  }

  void StartFlasher() {
    program.setProcessEnvironment(OnDisplay());
    program.setWorkingDirectory(dir.path());
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(flasher, {});
    ASSERT_TRUE(program.waitForStarted(10000)) << program.errorString().toStdString();
  }

  ToolRun Xdotool(const QStringList& arguments) {
    return RunTool(QStringLiteral("xdotool"), arguments, OnDisplay());
  }

  // The id of the shown window whose title matches `pattern`, waiting for
  // it up to xdotool's time limit; empty when none came.
  QString WaitForWindow(const QString& pattern) {
    const ToolRun run = Xdotool({"search", "--sync", "--onlyvisible", "--name", pattern});
    return run.finished ? run.output.section(u'\n', 0, 0).trimmed() : QString();
  }

  // The title a window manager shows (_NET_WM_NAME); the search above
  // matches the older WM_NAME, which Qt sets to the bare title.
  std::string TitleShown(const QString& window) {
    return Xdotool({"getwindowname", window}).output.trimmed().toStdString();
  }

  bool WindowShown(const QString& pattern) {
    return !Xdotool({"search", "--onlyvisible", "--name", pattern}).output.trimmed().isEmpty();
  }

  // Presses `key` in the window until the window goes (a key sent before the
  // window takes its input focus can be lost). False when it stays.
  bool PressUntilGone(const QString& window, const QString& pattern, const char* key) {
    for (int attempt = 0; attempt < 5; ++attempt) {
      Xdotool({"windowfocus", "--sync", window});
      Xdotool({"key", QString::fromLatin1(key)});
      QElapsedTimer waited;
      waited.start();
      while (waited.elapsed() < 2000) {
        if (!WindowShown(pattern)) return true;
        QThread::msleep(50);
      }
    }
    return false;
  }

  XvfbDisplay display;
  QTemporaryDir dir;
  QString flasher;
  QProcess program;  // goes before the display

 private:
  QByteArray output_;
};

// The drives come from the file next to the program; after Yes to the
// warning the main window shows with its caption, and closing it ends the
// program. Which drives qualify and what the boxes say is the form's.
TEST_F(DemoFlasher, YesOnTheWarningOpensTheMainWindowOverTheDrivesFile) {
  QFile drives(dir.filePath(QStringLiteral("cdflash-demo.drives")));
  ASSERT_TRUE(drives.open(QIODevice::WriteOnly));
  drives.write("OTHER|DVD-ROM 16X|2.00\nACME|CRW-4012A|1.20\n");
  drives.close();

  StartFlasher();
  const QString warning = WaitForWindow(QStringLiteral("^Warning$"));
  ASSERT_FALSE(warning.isEmpty()) << "no warning box";
  EXPECT_EQ(TitleShown(warning), "Warning");
  ASSERT_TRUE(PressUntilGone(warning, QStringLiteral("^Warning$"), "Return"));

  const QString window = WaitForWindow(QStringLiteral("^ACME Flash V1\\.043 CRW-4012$"));
  ASSERT_FALSE(window.isEmpty()) << "no main window";
  EXPECT_EQ(TitleShown(window), "ACME Flash V1.043 CRW-4012");
  EXPECT_FALSE(WindowShown(QStringLiteral("^Error$")));

  ASSERT_TRUE(RequestWindowClose(display.Name(), window.toULong()));
  ASSERT_TRUE(program.waitForFinished(10000)) << "the program did not end";
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0);
  EXPECT_TRUE(Output().contains("2 simulated drive(s) from ")) << "the drives file was not read";
}

}  // namespace
}  // namespace cdflash::qtui::test
