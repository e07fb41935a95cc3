#pragma once
// What a test needs to drive a real program on an X display: a private
// Xvfb display, command line tools run with a time limit, and the close
// request a window manager would send.

#include <QProcess>
#include <QString>

namespace cdflash::qtui::test {

// Xvfb on the first free display number (Xvfb chooses it and reports it),
// stopped when the object goes.
class XvfbDisplay {
 public:
  XvfbDisplay() = default;
  ~XvfbDisplay() { Stop(); }
  XvfbDisplay(const XvfbDisplay&) = delete;
  XvfbDisplay& operator=(const XvfbDisplay&) = delete;

  // False when Xvfb is missing or gives no display within a few seconds;
  // Failure() then says why.
  bool Start();
  void Stop();

  QString Name() const { return name_; }  // ":N"
  QString Failure() const { return failure_; }

 private:
  QProcess xvfb_;
  QString name_;
  QString failure_;
};

// Runs a command line tool to its end, or kills it after `timeoutMs`.
struct ToolRun {
  bool finished = false;  // ended by itself within the time
  int exitCode = -1;
  QString output;         // standard output
  QString errors;         // standard error
};
ToolRun RunTool(const QString& program, const QStringList& arguments,
                const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
                int timeoutMs = 120000);

// Asks a top-level window to close, the way a window manager does when its
// close button is pressed (WM_DELETE_WINDOW). False when the display or the
// window cannot be reached.
bool RequestWindowClose(const QString& display, unsigned long window);

}  // namespace cdflash::qtui::test
