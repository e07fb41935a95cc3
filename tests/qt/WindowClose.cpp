// Xlib in a file of its own: its macros (None, Bool, Status...) would clash
// with Qt and GoogleTest. Qt's headers come first, as Qt requires.

#include "XDisplay.h"

#include <X11/Xlib.h>

namespace cdflash::qtui::test {

namespace {
bool xError = false;
int RecordError(Display*, XErrorEvent*) {
  xError = true;  // a window that is gone: report it, do not end the test program
  return 0;
}
}  // namespace

bool RequestWindowClose(const QString& displayName, unsigned long window) {
  Display* display = XOpenDisplay(displayName.toLocal8Bit().constData());
  if (display == nullptr) return false;
  xError = false;
  const auto previous = XSetErrorHandler(RecordError);

  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);

  XSetErrorHandler(previous);
  XCloseDisplay(display);
  return sent != 0 && !xError;
}

}  // namespace cdflash::qtui::test
