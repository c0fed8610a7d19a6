// Kept apart from the driver's headers: Xlib's Time typedef clashes with the stopwatch class.
#include <X11/Xlib.h>

// Asks the window to close the way a window manager does (WM_DELETE_WINDOW).
bool send_close_request(unsigned long window) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  XEvent request{};
  request.xclient.type = ClientMessage;
  request.xclient.window = window;
  request.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  request.xclient.format = 32;
  request.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  request.xclient.data.l[1] = CurrentTime;
  const Status sent = XSendEvent(display, window, False, NoEventMask, &request);
  XFlush(display);
  XCloseDisplay(display);
  return sent != 0;
}
