#include "ui_fixture.h"

#include <GL/gl.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "panolet/ui.h"
#include "gl_video.h"
#include "process.h"
#include "scrivet/textrenderer.h"
#include "vistrel/imageloader.h"
#include "voskar/object_from_data.h"
#include "voskar/scenemanager.h"
#include "xserver.h"

namespace ui_test {

namespace {

const char* const kCaption = "PanoletTestWindow";
std::string window_id;
std::unique_ptr<Brannow::FileManager> file_manager;

// The engine is brought up once per process: the window stays for every test.
bool bring_up(std::string* error) {
  if (video_get_interface("Video")) return true;
  // Style sets and scenes name the game's pictures relative to the source tree.
  if (chdir(TARNVALE_SOURCE_DIR) != 0) return *error = "no source tree", false;
  *error = test_support::open_gl_video(
      "UiTestVideo", {{"Width", std::to_string(kWidth)}, {"Height", std::to_string(kHeight)},
                      {"BaseHeight", std::to_string(kHeight)}, {"FullScreen", "no"},
                      {"HideMouse", "no"}, {"Caption", kCaption}});
  if (!error->empty()) return false;

  file_manager = std::make_unique<Brannow::FileManager>(100);
  file_manager->register_brannow(Brannow::CreatePosixFile);
  if (!imageloader_create("png", "libgrisk_png", true)) return *error = imageloader_error(), false;
  if (!textrenderer_create("ttf", "libmordent", true)) return *error = textrenderer_error(), false;
  if (!textrenderer_get("ttf")->load_font("Font0", "res/fonts/DejaVuSans.ttf", file_manager.get()))
    return *error = textrenderer_get("ttf")->get_error(), false;
  init("Video");
  ui_init();
  ui_load_styleset(TARNVALE_TEST_DATA "/ui/test.style", "TestStyle", file_manager.get());

  for (int attempt = 0; attempt < 50 && window_id.empty(); ++attempt) {
    auto found = test_support::run_process({"xdotool", "search", "--name", kCaption}, ".", 10);
    if (found.exit_code == 0 && !found.out.empty())
      window_id = found.out.substr(0, found.out.find('\n'));
    else
      usleep(100000);
  }
  if (window_id.empty()) return *error = "the window does not show up", false;
  return true;
}

int to_px(float x) { return static_cast<int>(std::lround((x + 1.0f) * kWidth / 2.0f)); }
int to_py(float y) { return static_cast<int>(std::lround((1.0f - y) * kHeight / 2.0f)); }

}  // namespace

void UiTest::SetUp() {
  REQUIRE_X_SERVER();
  std::string error;
  ASSERT_TRUE(bring_up(&error)) << error;
}

void UiTest::TearDown() {
  for (auto it = scenes.rbegin(); it != scenes.rend(); ++it) dispose_scene(*it);
  scenes.clear();
  // The pointer starts each test away from everything.
  if (!window_id.empty()) move_to(-0.99f, -0.99f);
}

Video_Interface* UiTest::video() { return video_get_interface("Video"); }
Brannow::FileManager* UiTest::files() { return file_manager.get(); }

bool UiTest::try_load_scene(const std::string& name, const std::string& text) {
  Scene* scene = new Scene();
  scene->set_name(name);
  scene->set_video_name("Video");
  scene->set_file_manager(files());
  scene->set_storage_file(dir.write(name + ".scn", text));
  scenes.push_back(scene);
  if (!scene->load_scene()) return false;
  scene->slot__on_activate(nullptr);
  return true;
}

Scene* UiTest::load_scene(const std::string& name, const std::string& text) {
  EXPECT_TRUE(try_load_scene(name, text)) << "scene " << name << " does not load";
  return scenes.back();
}

void UiTest::pump() {
  static Signal signals[6] = {Signal("Video->keyboard_press"), Signal("Video->keyboard_release"),
                              Signal("Video->mouse_press"),    Signal("Video->mouse_release"),
                              Signal("Video->mouse_move"),     Signal("Video->character")};
  for (;;) {
    Event event = video()->_get_event();
    const int type = event._get_type();
    if (type < KEYBOARD_PRESS || type > CHARACTER) return;
    Signal& signal = signals[type];
    signal.clear_params();
    switch (type) {
      case KEYBOARD_PRESS:
      case KEYBOARD_RELEASE:
        signal.add_params(static_cast<int64_t>(event._get_keyboard_state()));
        break;
      case CHARACTER:
        signal.add_params(static_cast<int64_t>(event._get_char()));
        break;
      default: {
        float x = 0, y = 0;
        int buttons = 0;
        event._get_mouse_state(&x, &y, &buttons);
        signal.add_params(x);
        signal.add_params(y);
        signal.add_params(0.0f);
        signal.add_params(0.0f);
        signal.add_params(static_cast<int64_t>(buttons));
      }
    }
    signal.rise();
  }
}

void UiTest::cycle(Scene* scene) {
  video()->_flip();
  pump();
  scene->draw();
}

void UiTest::cycles(Scene* scene, int count) {
  for (int i = 0; i < count; ++i) cycle(scene);
}

void UiTest::show(Scene* scene) {
  scene->draw();
  video()->_flip();
  glFinish();
  // The swapped frame reaches the X server's copy of the window a moment later.
  usleep(100000);
  pump();
}

// What the window shows, as the X server has it (the GL front buffer of this driver reads
// back empty under Xvfb).
std::vector<Rgb> window_pixels() {
  static Display* display = XOpenDisplay(nullptr);
  std::vector<Rgb> pixels(kWidth * kHeight);
  if (!display) return pixels;
  XImage* image = XGetImage(display, std::stoul(window_id), 0, 0, kWidth, kHeight, AllPlanes,
                            ZPixmap);
  if (!image) return pixels;
  for (int py = 0; py < kHeight; ++py)
    for (int px = 0; px < kWidth; ++px) {
      const unsigned long value = XGetPixel(image, px, py);
      pixels[py * kWidth + px] = Rgb{static_cast<int>((value >> 16) & 0xff),
                                     static_cast<int>((value >> 8) & 0xff),
                                     static_cast<int>(value & 0xff)};
    }
  XDestroyImage(image);
  return pixels;
}

std::vector<Rgb> UiTest::frame() { return window_pixels(); }

Rgb UiTest::pixel_at(float x, float y) {
  return window_pixels()[std::min(to_py(y), kHeight - 1) * kWidth + std::min(to_px(x), kWidth - 1)];
}

int UiTest::count_colour(float x1, float y1, float x2, float y2, Rgb colour, int tolerance) {
  const std::vector<Rgb> frame = window_pixels();
  int count = 0;
  for (int py = std::max(to_py(y2), 0); py < std::min(to_py(y1), kHeight); ++py)
    for (int px = std::max(to_px(x1), 0); px < std::min(to_px(x2), kWidth); ++px) {
      const Rgb& p = frame[py * kWidth + px];
      if (std::abs(p.r - colour.r) <= tolerance && std::abs(p.g - colour.g) <= tolerance &&
          std::abs(p.b - colour.b) <= tolerance)
        ++count;
    }
  return count;
}

void UiTest::xdotool(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "xdotool");
  auto result = test_support::run_process(arguments, ".", 20);
  EXPECT_EQ(result.exit_code, 0) << result.err;
}

void UiTest::move_to(float x, float y) {
  xdotool({"mousemove", "--window", window_id, std::to_string(to_px(x)), std::to_string(to_py(y))});
}

void UiTest::click_at(float x, float y) {
  move_to(x, y);
  xdotool({"click", "1"});
}

void UiTest::press_at(float x, float y) {
  move_to(x, y);
  xdotool({"mousedown", "1"});
}

void UiTest::release() { xdotool({"mouseup", "1"}); }

void UiTest::type(const std::string& text) {
  xdotool({"type", "--window", window_id, "--delay", "30", text});
}

void UiTest::key(const std::string& name) { xdotool({"key", "--window", window_id, name}); }

SignalCatcher::SignalCatcher(const std::string& signal, bool consume_it)
    : signal_name(signal), slot_name("test->catcher->" + signal), consume(consume_it),
      slot(this, &SignalCatcher::call) {
  register_slot(slot_name, &slot);
  connect(signal_name, slot_name);
}

SignalCatcher::~SignalCatcher() { unregister_slot(slot_name); }

bool SignalCatcher::call(SlotArgs* args) {
  packs.push_back(*args);
  return consume;
}

}  // namespace ui_test
