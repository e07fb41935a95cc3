#pragma once
// A real program on a private Xvfb display, started in a folder of its own
// and answered with xdotool like a user would.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <string>

#include "XDisplay.h"

namespace cdflash::qtui::test {

// A file the build made or a source file, named relative to this program's
// folder, which is where the tests run (the names stay the same in every
// clone, so that ccache serves these files to a clone elsewhere).
inline QString BuiltPath(const char* relative) { return QDir::current().absoluteFilePath(QString::fromUtf8(relative)); }

class ProgramOnDisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!display.Start()) GTEST_SKIP() << display.Failure().toStdString();
    ASSERT_TRUE(dir.isValid());
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
                       QStringLiteral("suppressions=") + BuiltPath(CDFLASH_LSAN_SUPPRESSIONS) +
                           QStringLiteral(":print_suppressions=0"));
    return environment;
  }

  // Starts `path` in the test's folder.
  void Start(const QString& path) {
    program.setProcessEnvironment(OnDisplay());
    program.setWorkingDirectory(dir.path());
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(path, {});
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

  // Closes `window` as a window manager would; the program then ends well.
  void CloseAndExpectExitZero(const QString& window) {
    ASSERT_TRUE(RequestWindowClose(display.Name(), window.toULong()));
    ASSERT_TRUE(program.waitForFinished(10000)) << "the program did not end";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
  }

  XvfbDisplay display;
  QTemporaryDir dir;
  QProcess program;  // goes before the display

 private:
  QByteArray output_;
};

}  // namespace cdflash::qtui::test
