#include "XDisplay.h"

#include <QElapsedTimer>

namespace cdflash::qtui::test {

bool XvfbDisplay::Start() {
  // -displayfd 1: Xvfb takes a free display number and writes it to stdout.
  xvfb_.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "1024x768x24",
                                       "-nolisten", "tcp"});
  if (!xvfb_.waitForStarted(5000)) {
    failure_ = QStringLiteral("Xvfb does not start: ") + xvfb_.errorString();
    return false;
  }
  QByteArray output;
  QElapsedTimer elapsed;
  elapsed.start();
  while (!output.contains('\n') && elapsed.elapsed() < 10000 &&
         xvfb_.state() == QProcess::Running) {
    xvfb_.waitForReadyRead(100);
    output += xvfb_.readAllStandardOutput();
  }
  bool number = false;
  const int display = output.trimmed().toInt(&number);
  if (!number) {
    failure_ = QStringLiteral("Xvfb gave no display: ") +
               QString::fromLocal8Bit(xvfb_.readAllStandardError());
    Stop();
    return false;
  }
  name_ = QStringLiteral(":%1").arg(display);
  return true;
}

void XvfbDisplay::Stop() {
  if (xvfb_.state() == QProcess::NotRunning) return;
  xvfb_.terminate();
  if (!xvfb_.waitForFinished(5000)) {
    xvfb_.kill();
    xvfb_.waitForFinished(5000);
  }
}

ToolRun RunTool(const QString& program, const QStringList& arguments,
                const QProcessEnvironment& environment, int timeoutMs) {
  QProcess tool;
  tool.setProcessEnvironment(environment);
  tool.start(program, arguments);
  ToolRun run;
  if (!tool.waitForStarted(5000)) {
    run.errors = program + QStringLiteral(": ") + tool.errorString();
    return run;
  }
  run.finished = tool.waitForFinished(timeoutMs);
  if (!run.finished) {
    tool.kill();
    tool.waitForFinished(5000);
  }
  run.exitCode = tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
  run.output = QString::fromLocal8Bit(tool.readAllStandardOutput());
  run.errors += QString::fromLocal8Bit(tool.readAllStandardError());
  return run;
}

}  // namespace cdflash::qtui::test
