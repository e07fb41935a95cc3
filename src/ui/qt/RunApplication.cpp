#include "ui/qt/RunApplication.h"

#include <QApplication>
#include <cstdio>
#include <optional>

#include "app/AppTexts.h"
#include "app/Guard.h"
#include "ui/qt/AppServices.h"
#include "ui/qt/EndSignals.h"
#include "ui/qt/FlashWindow.h"
#include "ui/qt/FormBinding.h"
#include "ui/qt/MessageBoxes.h"

namespace cdflash::qtui {

namespace {

// Start-up and loop, once the application object exists.
void RunWindow(const FormFactory& makeForm, ISystemServices* system) {
  // The application's name, not its display name: on X11 Qt appends a
  // display name to every window title ("Warning -- Flash utility"), and the
  // boxes and the window must carry their own captions only.
  QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));

  MessageBoxes dialogs;
  WaitCursor cursor;
  ApplicationService application;

  // Declared before the window, so both outlive it: destroying the window
  // runs FormDestroy.
  std::unique_ptr<IFormHandlers> form;
  std::unique_ptr<FlashWindow> window;
  // SIGTERM and SIGHUP end the window as they end a terminal run; they are
  // heard from before start-up, so that its boxes close too.
  const EndSignals endSignals([&form] {
    if (form) EndWindowOnSignal(*form);
  });
  // Declared last, so it goes first: a job still running ends before the
  // form it works for.
  QtUiThread ui;
  const FormServices services{&dialogs, &cursor, &application, system, &ui};

  bool started = false;
  RunGuarded(dialogs, [&] {
    window = std::make_unique<FlashWindow>();
    form = makeForm(window->Controls(), services);
    BindForm(*window, *form, dialogs);
    form->FormCreate();
    started = true;
  });
  if (!started) return;

  const bool ended = window->CloseRequested() || application.QuitPosted();
  if (!ended) window->show();
  // A posted quit is taken from the queue at once; a closed window without a
  // quit request leaves nothing to wait for.
  if (!ended || application.QuitPosted()) {
    RunGuarded(dialogs, [] { QApplication::exec(); });
  }
}

}  // namespace

int RunApplication(int argc, char** argv, const FormFactory& makeForm, ISystemServices* system) {
  std::optional<QApplication> app;
  try {
    if (QApplication::instance() == nullptr) app.emplace(argc, argv);
  } catch (const std::exception& e) {
    // No toolkit, so no box: the console is the only place left to say it.
    std::fprintf(stderr, "%s\n", ExceptionBoxText(e.what()).c_str());
    return 0;
  }
  RunWindow(makeForm, system);
  return 0;
}

}  // namespace cdflash::qtui
