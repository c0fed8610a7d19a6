// The windowless driver on its own: settings, input files, the frame limit, the stepped clock
// and the trace.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "carrow/config.h"
#include "headless_video.h"
#include "scratch.h"
#include "tessim/time.h"
#include "trace_reader.h"

namespace {

// A driver on a fresh configuration "Video->" + key = value; not yet initialised.
std::unique_ptr<Headless_Video> driver_with(const std::map<std::string, std::string>& values) {
  config_remove("HeadlessTest");
  EXPECT_TRUE(config_create("HeadlessTest", "libquorra", true)) << config_error();
  Config_Interface* config = config_get_interface("HeadlessTest");
  for (const auto& [key, value] : values) config->set_value("Video->" + key, value, true);
  return std::make_unique<Headless_Video>("HeadlessTest", "Video->");
}

class InputScript : public ::testing::Test {
protected:
  // The events of a script, or the error it stops with.
  std::vector<ScriptedInput> read(const std::string& text, std::string* error = nullptr) {
    std::vector<ScriptedInput> events;
    std::string problem;
    const bool ok = read_input_script(dir.write("input.txt", text), &events, &problem);
    EXPECT_EQ(ok, problem.empty());
    if (error) *error = problem;
    return events;
  }
  std::string error_of(const std::string& text) {
    std::string error;
    read(text, &error);
    return error.substr(error.find(':') + 1);  // without the folder
  }
  test_support::ScratchDir dir;
};

TEST_F(InputScript, EveryKindWithItsDefaults) {
  const auto events = read(
      "# frame event x y value\n\n"
      "3 mouse_press 0.25 -0.5\n"
      "3 mouse_release 0.25 -0.5 2\n"
      "  7\tmouse_move  0 0.75 \n"
      "8 keyboard_press 0 0 65\n"
      "9 keyboard_release 0 0 65\n"
      "10 character 0 0 228\n"
      "0 quit\n");
  ASSERT_EQ(events.size(), 7u);
  EXPECT_EQ(events[0].frame, 3);
  EXPECT_EQ(events[0].event.type, MOUSE_PRESS);
  EXPECT_FLOAT_EQ(events[0].event.x, 0.25f);
  EXPECT_FLOAT_EQ(events[0].event.y, -0.5f);
  EXPECT_EQ(events[0].event.buttons, MOUSE_BUTTON_LEFT);
  EXPECT_EQ(events[1].event.buttons, MOUSE_BUTTON_RIGHT);
  EXPECT_EQ(events[2].frame, 7);
  EXPECT_EQ(events[2].event.type, MOUSE_MOVE);
  EXPECT_EQ(events[2].event.buttons, 0) << "a move holds no button unless it says so";
  EXPECT_EQ(events[3].event.key, 65);
  EXPECT_EQ(events[4].event.type, KEYBOARD_RELEASE);
  EXPECT_EQ(events[5].event.character, 228);
  EXPECT_EQ(events[6].event.type, QUIT);
  EXPECT_EQ(events[6].frame, 0);
}

TEST_F(InputScript, BadLinesNameTheFileAndLine) {
  EXPECT_EQ(error_of("1 quit\nx mouse_press 0 0\n"),
            "2: the frame \"x\" is not a whole number of 0 or more");
  EXPECT_EQ(error_of("-1 quit\n"), "1: the frame \"-1\" is not a whole number of 0 or more");
  EXPECT_EQ(error_of("4\n"), "1: no event after the frame");
  EXPECT_EQ(error_of("4 click 0 0\n"), "1: unknown event \"click\"");
  EXPECT_EQ(error_of("4 mouse_press 0.5\n"), "1: an x without a y");
  EXPECT_EQ(error_of("4 mouse_press 0.5 nan\n"), "1: the position \"0.5 nan\" is not two numbers");
  EXPECT_EQ(error_of("4 mouse_press 0.5 1e999\n"), "1: the position \"0.5 1e999\" is not two numbers");
  EXPECT_EQ(error_of("4 keyboard_press 0 0 A\n"), "1: the value \"A\" is not a whole number");
  EXPECT_EQ(error_of("4 keyboard_press 0 0 65 66\n"), "1: more than FRAME EVENT X Y VALUE");

  std::vector<ScriptedInput> events;
  std::string error;
  EXPECT_FALSE(read_input_script(dir.file("missing.txt"), &events, &error));
  EXPECT_EQ(error, dir.file("missing.txt") + ": cannot read the input file");
}

TEST(HeadlessDriver, SizesComeFromTheSettingsAndStartUpFailuresSayWhy) {
  auto video = driver_with({{"Width", "640"}, {"Height", "480"}});
  EXPECT_EQ(video->_get_name(), "libheadless_tessar");
  ASSERT_TRUE(video->_init()) << video->_get_error();
  EXPECT_EQ(video->_get_width(), 640);
  EXPECT_EQ(video->_get_height(), 480);
  ASSERT_TRUE(video->_create_surface(0.5, 0.5, "half", "g", false));
  EXPECT_EQ(video->_get_surface("half", "g")->_get_width(), 320);
  video->_deinit();

  Headless_Video unconfigured("NoSuchConfiguration", "Video->");
  EXPECT_FALSE(unconfigured._init());
  EXPECT_EQ(unconfigured._get_error(), "Can`t get config interface");
  EXPECT_FALSE(driver_with({{"Width", "0"}})->_init());
  auto no_trace = driver_with({{"TraceFile", "/no/such/folder/trace.txt"}});
  EXPECT_FALSE(no_trace->_init());
  EXPECT_EQ(no_trace->_get_error(), "Can't write the trace file /no/such/folder/trace.txt");
  test_support::ScratchDir dir;
  auto bad_input = driver_with({{"InputFile", dir.write("in.txt", "1 quit\n2 jump\n")}});
  EXPECT_FALSE(bad_input->_init());
  EXPECT_EQ(bad_input->_get_error(), dir.file("in.txt") + ":2: unknown event \"jump\"");
  EXPECT_FALSE(Time::stepped_clock_in_use()) << "a driver that did not start leaves the clock alone";
}

TEST(HeadlessDriver, QuitsAfterItsFramesAndReplaysInputAtItsFrames) {
  test_support::ScratchDir dir;
  auto video = driver_with({{"Frames", "3"},
                            {"InputFile", dir.write("in.txt", "0 keyboard_press 0 0 65\n"
                                                              "2 mouse_press 0.5 0.25\n"
                                                              "2 mouse_move 0.5 0.5 1\n"
                                                              "2 mouse_release -0.5 0.25\n"
                                                              "2 mouse_press -0.5 0.25 2\n")}});
  ASSERT_TRUE(video->_init()) << video->_get_error();
  EXPECT_EQ(video->_get_event().type, KEYBOARD_PRESS) << "frame 0 is there at once";
  EXPECT_EQ(video->_get_event().type, NO_EVENT);
  video->_flip();
  EXPECT_EQ(video->_get_event().type, NO_EVENT);
  video->_flip();
  const Event press = video->_get_event();
  EXPECT_EQ(press.type, MOUSE_PRESS);
  EXPECT_FLOAT_EQ(press.dx, 0.5f);
  const Event move = video->_get_event();
  EXPECT_EQ(move.type, MOUSE_MOVE);
  EXPECT_FLOAT_EQ(move.dy, 0.5f) << "moves count against moves";
  const Event release = video->_get_event();
  EXPECT_EQ(release.type, MOUSE_RELEASE);
  EXPECT_FLOAT_EQ(release.dx, -1.0f) << "button events count against button events";
  EXPECT_FLOAT_EQ(release.dy, 0.0f);
  // The button state is the one after the whole frame's input, as after a window's poll.
  MOUSE_BUTTON left = MOUSE_BUTTON_LEFT;
  EVENT_TYPE state = MOUSE_PRESS;
  video->_get_mouse_button_state(&left, &state);
  EXPECT_EQ(state, MOUSE_RELEASE);
  MOUSE_BUTTON right = MOUSE_BUTTON_RIGHT;
  video->_get_mouse_button_state(&right, &state);
  EXPECT_EQ(state, MOUSE_PRESS) << "the right button is still held";
  EXPECT_EQ(video->_get_event().type, MOUSE_PRESS);
  double x = 0, y = 0;
  video->_get_mouse_position(&x, &y);
  EXPECT_DOUBLE_EQ(x, -0.5);
  EXPECT_DOUBLE_EQ(y, 0.25);
  int px = 0, py = 0;
  video->_get_mouse_position(&px, &py);
  EXPECT_EQ(px, -200);
  EXPECT_EQ(py, -75) << "pixels from the centre, y downwards";
  EXPECT_EQ(video->_get_event().type, NO_EVENT);
  video->_flip();
  EXPECT_EQ(video->_get_event().type, QUIT);
  EXPECT_EQ(video->frames(), 3);
  video->_deinit();
}

TEST(HeadlessDriver, EachFlipIsExactlyOneFrameOnEveryStopwatch) {
  auto video = driver_with({{"LimitFPS", "60"}});
  Time started_before;
  ASSERT_TRUE(video->_init());
  ASSERT_TRUE(Time::stepped_clock_in_use());
  Time lap;
  const float step = 1.0f / 60.0f;
  for (int frame = 0; frame < 1000; ++frame) {
    lap.reset();
    video->_flip();
    // The physics steps when a float step has passed: one flip must count as one whole step.
    ASSERT_EQ(lap.get_elapsed_time_noreset(), static_cast<double>(step)) << "frame " << frame;
  }
  EXPECT_GE(started_before.get_elapsed_time_noreset(), 1000 * static_cast<double>(step));
  // A hold longer than a stopwatch has run leaves it at nothing, not below.
  video->_flip();
  lap.postpone(10 * step);
  EXPECT_EQ(lap.get_elapsed_time_noreset(), 0.0);
  video->_flip();
  EXPECT_EQ(lap.get_elapsed_time_noreset(), static_cast<double>(step));
  video->_deinit();
  EXPECT_FALSE(Time::stepped_clock_in_use()) << "the real clock is back";

  auto unlimited = driver_with({});
  ASSERT_TRUE(unlimited->_init());
  lap.reset();
  unlimited->_flip();
  EXPECT_EQ(lap.get_elapsed_time_noreset(), static_cast<double>(1.0f / 60.0f)) << "60 a second without a limit";
  unlimited->_deinit();
}

TEST(HeadlessDriver, TraceListsEachFramesDrawsInDrawingOrder) {
  test_support::ScratchDir dir;
  auto video = driver_with({{"TraceFile", dir.file("trace.txt")}, {"PointSprite", "yes"}});
  ASSERT_TRUE(video->_init());
  Headless_Video& v = *video;
  ASSERT_TRUE(v._create_surface(2, 1, "pic", "g", false));
  ASSERT_TRUE(v._create_surface(4, 4, "other", "g", false));
  auto* pixels = static_cast<unsigned char*>(v._get_surface("pic", "g")->_get_surface_data());
  pixels[0] = 255;
  ASSERT_TRUE(v._create_sprite("a", "g", "pic", "g", false));
  ASSERT_TRUE(v._create_sprite("b", "g", "other", "g", false));
  ASSERT_TRUE(v._create_sprite("c", "g", "pic", "g", false));
  Video_Sprite* a = v._get_sprite("a", "g");
  a->_set_coord(0.5, -0.25);
  a->_set_scale(2, 2);
  a->_set_rotation(90);
  a->_set_alpha(0.5f);
  a->_set_blend_color(0.5f, 0.5f, 0.5f);
  a->_set_base_point(0.5, 0.5);
  ASSERT_TRUE(v._create_particles("sparks", "g", "", "", 2, false));
  v._get_particles("sparks", "g")->_set_particle(1, 0.125f, -0.5f, 255, 255, 255, 1);
  v._draw_sprite("a", "g");
  v._draw_sprite("b", "g");
  v._draw_sprite("c", "g");
  v._draw_sprite("c", "g");  // twice in the queue, drawn once
  v._draw_particles("sparks", "g", true);
  v._draw_particles("sparks", "g", false);
  v._draw_polygon({{0, 0}, {0.5, 0.5}, {1, 0}});
  v._flip();
  v._flip();  // an empty frame
  video->_deinit();

  const std::string trace = test_support::read_file(dir.file("trace.txt"));
  const std::string first = trace.substr(0, trace.find("frame 2\n"));
  EXPECT_EQ(first.substr(0, first.find("surface g pic")),
            "frame 1\nparticles under g sparks 2: 0.0000,0.0000 0.1250,-0.5000\n");
  // Sprites of one surface come together, at the place of the first of them.
  const std::string sprites = first.substr(first.find("surface g pic"));
  EXPECT_EQ(sprites.substr(0, sprites.find("surface g other")).substr(0, 18), "surface g pic 2x1 ");
  EXPECT_NE(sprites.find("  sprite g a 0.5000 -0.2500 base 0.0025 0.0017 scale 2.0000 2.0000 "
                         "turn 90.0000 alpha 0.5000 colour 0.5000 0.5000 0.5000\n"
                         "  sprite g c 0.0000 0.0000\n"
                         "surface g other 4x4 "),
            std::string::npos)
      << sprites;
  EXPECT_NE(sprites.find("particles over g sparks 2:"), std::string::npos);
  EXPECT_NE(sprites.find("polygon 0.0000,0.0000 0.5000,0.5000 1.0000,0.0000\n"), std::string::npos);
  EXPECT_EQ(trace.substr(trace.find("frame 2\n")), "frame 2\n");

  // A picture's checksum follows its pixels: the two surfaces differ, a fresh one matches.
  const auto frames = headless_test::read_trace(trace);
  const auto& drawn = frames.at(1).sprites;
  ASSERT_EQ(drawn.size(), 3u);
  EXPECT_EQ(drawn[0].checksum, drawn[1].checksum);
  EXPECT_NE(drawn[0].checksum, drawn[2].checksum);
  EXPECT_TRUE(drawn[0].tinted);
  EXPECT_FALSE(drawn[1].tinted);
  ASSERT_EQ(v.last_frame().size(), 0u) << "the second frame drew nothing";
}

TEST(HeadlessDriver, ScheduledEventsKeepWhatTheyAreGiven) {
  auto video = driver_with({});
  ASSERT_TRUE(video->_init());
  Event event;
  event.type = MOUSE_PRESS;
  event.x = 0.5f;
  event.dx = 0.125f;
  video->schedule(1, event);
  video->_flip();
  const Event taken = video->_get_event();
  EXPECT_EQ(taken.type, MOUSE_PRESS);
  EXPECT_FLOAT_EQ(taken.dx, 0.125f);
  video->_deinit();
}

}  // namespace
