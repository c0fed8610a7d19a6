// Time from starting a program to the first lit pixels of its window: the first drawn frame.
// Run from the source tree under an X server, with the program to start and its arguments:
//   xvfb-run -a -s "-screen 0 1024x768x24 -noreset" build-scene-bench/bin/scene_first_frame build-scene-bench/bin/tarnvale
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

// Whether anything but black shows in the top left 800 x 600 pixels, looked at in 15 rows 40
// pixels apart (every fourth pixel of each): a swapped frame fills the window at once. Fetching
// the whole area every 2 ms, as before, took the harness and the X server more than a core of
// the two, which the programs under test then waited for.
bool screen_lit(Display* display) {
  for (int y = 20; y < 600; y += 40) {
    XImage* image = XGetImage(display, DefaultRootWindow(display), 0, y, 800, 1, AllPlanes, ZPixmap);
    if (!image) return false;
    bool lit = false;
    for (int x = 0; x < 800 && !lit; x += 4) lit = (XGetPixel(image, x, 0) & 0xffffff) != 0;
    XDestroyImage(image);
    if (lit) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  Display* display = XOpenDisplay(nullptr);
  if (argc < 2 || !display) {
    std::fprintf(stderr, "usage (with DISPLAY set): scene_first_frame <program> [arguments]\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  // The program writes its start-up stages against the same origin (TARNVALE_STARTUP_ORIGIN).
  timespec origin{};
  clock_gettime(CLOCK_MONOTONIC, &origin);
  const pid_t child = fork();
  if (child == 0) {
    setenv("TARNVALE_STARTUP_ORIGIN",
           std::to_string(origin.tv_sec * 1000000000LL + origin.tv_nsec).c_str(), 1);
    execv(argv[1], argv + 1);
    _exit(127);
  }
  double seconds = -1;
  while (std::chrono::steady_clock::now() - start < std::chrono::seconds(30)) {
    if (screen_lit(display)) {
      seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      break;
    }
    usleep(2000);
  }
  // For profiles recorded with CLOCK_MONOTONIC timestamps (perf record -k mono).
  std::printf("started at %ld.%09ld s (CLOCK_MONOTONIC)\n", static_cast<long>(origin.tv_sec),
              static_cast<long>(origin.tv_nsec));
  if (seconds < 0)
    std::printf("no frame within 30 s\n");
  else
    std::printf("first frame after %.0f ms\n", seconds * 1000);
  kill(child, SIGTERM);
  // The program's own CPU time up to then (all its threads): on a loaded machine the wall time
  // mostly measures waiting for a core.
  rusage usage{};
  wait4(child, nullptr, 0, &usage);
  const double cpu = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                     (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
  if (seconds >= 0) std::printf("program CPU %.0f ms (user %.0f ms)\n", cpu * 1000,
                                (usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6) * 1000);
  XCloseDisplay(display);
  return seconds < 0 ? 1 : 0;
}
