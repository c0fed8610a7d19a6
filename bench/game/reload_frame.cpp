// Time from saving a style set to the first frame that shows it, with the program under --watch:
// the menu buttons' caption colour is saved as an editor saves (a temporary file renamed over
// the old one) and the window is read back until the new colour shows. Run from the source tree
// under an X server, with the program to start:
//   xvfb-run -a -s "-screen 0 1024x768x24 -noreset" build-bench/bin/game_reload_frame build-bench/bin/tarnvale
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const char* const kStyle = "res/interface/base.style";
const char* const kShipped = "font_color 0xe8eef8ff";

struct Colour {
  const char* value;  // as the style file writes it
  int red, green, blue;
};
// Two colours the start screen has nowhere else, saved in turn.
const Colour kColours[] = {{"0xff00ffff", 255, 0, 255}, {"0x00ffffff", 0, 255, 255}};

// Pixels of the menu's part of the window near the colour (every other one checked).
int pixels_of(Display* display, const Colour& colour) {
  XImage* image = XGetImage(display, DefaultRootWindow(display), 260, 260, 280, 340, AllPlanes, ZPixmap);
  if (!image) return 0;
  int count = 0;
  for (int y = 0; y < 340; y += 2)
    for (int x = 0; x < 280; x += 2) {
      const unsigned long p = XGetPixel(image, x, y);
      const int r = (p >> 16) & 0xff, g = (p >> 8) & 0xff, b = p & 0xff;
      count += std::abs(r - colour.red) < 40 && std::abs(g - colour.green) < 40 && std::abs(b - colour.blue) < 40;
    }
  XDestroyImage(image);
  return count;
}

std::string read_all(const fs::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void save_as_editors_do(const fs::path& file, const std::string& text) {
  const fs::path temporary = file.string() + ".tmp";
  std::ofstream(temporary) << text;
  fs::rename(temporary, file);
}

}  // namespace

int main(int argc, char** argv) {
  Display* display = XOpenDisplay(nullptr);
  if (argc < 2 || !display) {
    std::fprintf(stderr, "usage (with DISPLAY set, from the source tree): game_reload_frame <program> [saves]\n");
    return 2;
  }
  const int saves = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
  char folder_name[] = "/tmp/tarnvale-reload-XXXXXX";
  if (!mkdtemp(folder_name)) return 2;
  const fs::path folder(folder_name);
  fs::copy("cfg", folder / "cfg", fs::copy_options::recursive);
  fs::copy("res", folder / "res", fs::copy_options::recursive);
  const std::string shipped = read_all(folder / kStyle);

  const pid_t child = fork();
  if (child == 0) {
    const int nowhere = open("/dev/null", O_WRONLY);
    dup2(nowhere, STDOUT_FILENO);
    dup2(nowhere, STDERR_FILENO);
    execl(argv[1], argv[1], "--watch", "-q", folder_name, static_cast<char*>(nullptr));
    _exit(127);
  }
  // The start screen is up once its captions show in their shipped colour.
  const Colour shipped_colour{"", 0xe8, 0xee, 0xf8};
  const Clock::time_point started = Clock::now();
  while (pixels_of(display, shipped_colour) < 50 && Clock::now() - started < std::chrono::seconds(60))
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::this_thread::sleep_for(std::chrono::seconds(1));

  std::vector<double> times;
  for (int i = 0; i < saves; ++i) {
    const Colour& colour = kColours[i % 2];
    std::string text = shipped;
    for (size_t at = text.find(kShipped); at != std::string::npos; at = text.find(kShipped, at))
      text.replace(at + 11, 10, colour.value);
    save_as_editors_do(folder / kStyle, text);
    const Clock::time_point saved = Clock::now();
    while (pixels_of(display, colour) < 50 && Clock::now() - saved < std::chrono::seconds(10))
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - saved).count();
    if (ms >= 10000) {
      std::printf("save %d not shown within 10 s\n", i + 1);
      break;
    }
    std::printf("save %d shown after %.0f ms\n", i + 1, ms);
    times.push_back(ms);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  kill(child, SIGTERM);
  waitpid(child, nullptr, 0);
  XCloseDisplay(display);
  fs::remove_all(folder);
  if (times.size() != static_cast<size_t>(saves)) return 1;
  std::sort(times.begin(), times.end());
  std::printf("median save to frame %.0f ms (of %d)\n", times[times.size() / 2], saves);
  return 0;
}
