#include "x_window.h"

#include <X11/Xlib.h>

#include <chrono>
#include <thread>

#include "process.h"

namespace test_support {
namespace {
void pause(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }
}  // namespace

std::string find_window(const std::string& caption, double timeout_seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout_seconds);
  while (std::chrono::steady_clock::now() < end) {
    auto found = run_process({"xdotool", "search", "--name", caption}, ".", 10);
    if (found.exit_code == 0 && !found.out.empty()) return found.out.substr(0, found.out.find('\n'));
    pause(0.1);
  }
  return "";
}

void click(const std::string& window, float x, float y, int button) {
  click_pixel(window, static_cast<int>((x + 1.0f) * 400.0f + 0.5f),
              static_cast<int>((1.0f - y) * 300.0f + 0.5f), button);
}

void click_pixel(const std::string& window, int px, int py, int button) {
  run_process({"xdotool", "mousemove", "--window", window, std::to_string(px), std::to_string(py)},
              ".", 10);
  pause(0.15);  // the move must arrive before the press
  run_process({"xdotool", "click", std::to_string(button)}, ".", 10);
  pause(0.3);   // and the release before whatever the test does next
}

bool request_close(const std::string& window) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  XEvent request{};
  request.xclient.type = ClientMessage;
  request.xclient.window = std::stoul(window);
  request.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  request.xclient.format = 32;
  request.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  request.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, request.xclient.window, False, NoEventMask, &request);
  XFlush(display);
  XCloseDisplay(display);
  return true;
}

bool destroy_window(const std::string& window) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  XDestroyWindow(display, std::stoul(window));
  XSync(display, False);
  XCloseDisplay(display);
  return true;
}

}  // namespace test_support
