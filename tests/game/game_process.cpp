#include "game_process.h"

#include <X11/Xlib.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace game_test {
namespace {
void pause(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }
}  // namespace

void prepare_game_folder(const test_support::ScratchDir& folder) {
  folder.copy_from_source("cfg");
  folder.copy_from_source("res");
  folder.write("cfg/Game.cfg",
               "[Fonts]\n\t[Font0]\n\t\tname Font0\n\t\tsource res/fonts/DejaVuSans.ttf\n\t[/]\n[/]\n"
               "[Options]\n\tStartScene game\n[/]\n");
}

bool wait_for_output(test_support::ChildProcess& child, const std::string& text, double timeout_seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout_seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (child.out().find(text) != std::string::npos || child.err().find(text) != std::string::npos) return true;
    if (!child.running()) return false;
    pause(0.1);
  }
  return false;
}

std::string find_window(double timeout_seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout_seconds);
  while (std::chrono::steady_clock::now() < end) {
    auto found = test_support::run_process({"xdotool", "search", "--name", "Tarnvale"}, ".", 10);
    if (found.exit_code == 0 && !found.out.empty()) return found.out.substr(0, found.out.find('\n'));
    pause(0.2);
  }
  return "";
}

void click(const std::string& window, float x, float y) {
  const int px = static_cast<int>((x + 1.0f) * 400.0f + 0.5f);
  const int py = static_cast<int>((1.0f - y) * 300.0f + 0.5f);
  test_support::run_process({"xdotool", "mousemove", "--window", window, std::to_string(px), std::to_string(py)},
                            ".", 10);
  pause(0.15);
  test_support::run_process({"xdotool", "click", "1"}, ".", 10);
  pause(0.3);
}

void request_close(const std::string& window) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return;
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
}

long resident_kb(int pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      long kb = 0;
      status >> kb;
      return kb;
    }
    status.ignore(1 << 16, '\n');
  }
  return 0;
}

int count_of(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

}  // namespace game_test
