#include "window_watch.h"

#include <GLFW/glfw3.h>
#include <X11/Xlib.h>

#include <iostream>

// GLFW's X11 access, declared here: its own header for it pulls in the headers of every X
// extension GLFW uses.
extern "C" Display* glfwGetX11Display(void);
extern "C" Window glfwGetX11Window(GLFWwindow* window);

namespace window_watch {
namespace {

struct Watched {
  Display* display = nullptr;
  Window window = 0;
  bool destroyed = false;
  bool lost = false;
  XErrorHandler xlib_default = nullptr;
};

Watched& watched() {
  static Watched kept;
  return kept;
}

// Requests that reach a window already destroyed fail; after that their errors are expected.
// Any other error goes to Xlib's own handler, as before.
int on_error(Display* display, XErrorEvent* error) {
  Watched& kept = watched();
  if (kept.destroyed || (error->resourceid == kept.window &&
                         (error->error_code == BadWindow || error->error_code == BadDrawable))) {
    kept.destroyed = true;
    return 0;
  }
  return kept.xlib_default ? kept.xlib_default(display, error) : 0;
}

int on_io_error(Display*) {
  watched().lost = true;
  return 0;
}

// Returning keeps the process; Xlib then fails every later call on the display quietly.
void on_io_error_exit(Display*, void*) {
  watched().lost = true;
  std::cerr << "The connection to the X server is lost" << std::endl;
}

// Looks at each queued event and leaves it there for GLFW.
Bool notice_destroyed(Display*, XEvent* event, XPointer) {
  Watched& kept = watched();
  if (event->type == DestroyNotify && event->xdestroywindow.window == kept.window) kept.destroyed = true;
  return False;
}

}  // namespace

void watch(GLFWwindow* window) {
  Watched& kept = watched();
  kept = Watched();
  kept.display = glfwGetX11Display();
  kept.window = glfwGetX11Window(window);
  if (!kept.display) return;
  kept.xlib_default = XSetErrorHandler(on_error);
  XSetIOErrorHandler(on_io_error);
  XSetIOErrorExitHandler(kept.display, on_io_error_exit, nullptr);
}

bool window_gone() {
  Watched& kept = watched();
  if (!kept.display) return false;
  if (kept.lost || kept.destroyed) return true;
  // GLFW puts back Xlib's own error handler after some of its calls.
  XSetErrorHandler(on_error);
  XEvent unused;
  if (XPending(kept.display) > 0) XCheckIfEvent(kept.display, &unused, notice_destroyed, nullptr);
  return kept.lost || kept.destroyed;
}

bool connection_lost() { return watched().lost; }

}  // namespace window_watch
