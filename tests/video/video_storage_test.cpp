// Surfaces, sprites, particle sets and settings of the OpenGL driver that need no window.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "carrow/config.h"
#include "headless_video.h"
#include "video_fixture.h"

extern "C" Video_Interface* _get_video_driver(const std::string* params, int count);

namespace {

using video_test::make_config;

// A driver that never opens its window: 800 x 600 from the defaults. The storage rules and
// messages hold for both drivers, which share them.
template <typename Driver>
class DriverStorage : public ::testing::Test {
protected:
  Driver video{"unused", "Video->"};
};
using Drivers = ::testing::Types<OpenGL_Video, Headless_Video>;
TYPED_TEST_SUITE(DriverStorage, Drivers);

class GLDriverStorage : public ::testing::Test {
protected:
  OpenGL_Video video{"unused", "Video->"};
};

TEST_F(GLDriverStorage, SurfaceTextureIsThePowerOfTwoAbove) {
  ASSERT_TRUE(video._create_surface(100, 30, "s", "g", false));
  auto* surface = dynamic_cast<OpenGL_Surface*>(video._get_surface("s", "g"));
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(surface->_get_texture_width(), 128);
  EXPECT_EQ(surface->_get_texture_height(), 32);
  EXPECT_EQ(surface->_get_pitch(), 512);
  EXPECT_FLOAT_EQ(surface->tu(), 0.78125f);
  EXPECT_FLOAT_EQ(surface->tv(), 0.9375f);
  EXPECT_EQ(surface->_get_bpp(), 4);
  EXPECT_EQ(surface->_get_alpha_status(), ALPHA_BLENDED);
  EXPECT_TRUE(surface->_is_dirty());
  EXPECT_EQ(surface->_get_Amask(), 0x000000ffu);
  const auto* data = static_cast<const unsigned char*>(surface->_get_surface_data());
  for (int i = 0; i < 512 * 32; ++i) ASSERT_EQ(data[i], 0) << "byte " << i;

  ASSERT_TRUE(video._create_surface(1, 1, "one", "g", false));
  EXPECT_EQ(video._get_surface("one", "g")->_get_pitch(), 4);
}

TYPED_TEST(DriverStorage, BadSurfaceSizesFail) {
  for (auto [w, h] : {std::pair{0, 10}, {10, 0}, {-5, 10}, {10, -1}}) {
    EXPECT_FALSE(this->video._create_surface(w, h, "bad", "g", false)) << w << " x " << h;
    EXPECT_EQ(this->video._get_error(), "Can`t crfeate surface");
  }
  // Beyond the largest texture (16384 before a context says less) the upload would fail unseen.
  EXPECT_FALSE(this->video._create_surface(30000, 30000, "bad", "g", false));
  EXPECT_EQ(this->video._get_error(), "Can`t create surface 30000x30000: larger than the largest texture side 16384");
  EXPECT_FALSE(this->video._create_surface(10, 16385, "bad", "g", false));
  EXPECT_FALSE(this->video._create_surface(-0.5, 0.5, "bad", "g", false));
  EXPECT_FALSE(this->video._create_surface(1e300, 0.5, "bad", "g", false));
  EXPECT_EQ(this->video._get_surface("bad", "g"), nullptr);
}

TYPED_TEST(DriverStorage, SurfaceNamesAreUniqueUnlessReplaced) {
  ASSERT_TRUE(this->video._create_surface(8, 8, "s", "g", false));
  Video_Surface* first = this->video._get_surface("s", "g");
  EXPECT_FALSE(this->video._create_surface(16, 16, "s", "g", false));
  EXPECT_EQ(this->video._get_error(), "Surface already exist: s");
  EXPECT_EQ(this->video._get_surface("s", "g"), first);

  ASSERT_TRUE(this->video._create_surface(16, 16, "s", "g", true));
  EXPECT_EQ(this->video._get_surface("s", "g")->_get_width(), 16);
}

TYPED_TEST(DriverStorage, FactorSizeAndCurrentGroup) {
  ASSERT_TRUE(this->video._create_surface(4, 4, "anchor", "ui", false));
  ASSERT_TRUE(this->video._set_group("ui"));
  EXPECT_EQ(this->video._get_group(), "ui");
  ASSERT_TRUE(this->video._create_surface(0.5, 0.25, "s", "", false));
  Video_Surface* surface = this->video._get_surface("s", "ui");
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(surface->_get_width(), 400);
  EXPECT_EQ(surface->_get_height(), 150);
  EXPECT_EQ(this->video._get_surface("s", ""), surface);
}

TYPED_TEST(DriverStorage, SetGroupConsultsOnlySurfaces) {
  ASSERT_TRUE(this->video._create_sprite("sp", "sprites_only", "x", "y", false));
  EXPECT_FALSE(this->video._set_group("sprites_only"));
  EXPECT_EQ(this->video._get_error(), "Group sprites_only not exist");
  EXPECT_EQ(this->video._get_group(), "");
}

TYPED_TEST(DriverStorage, LookupMessages) {
  ASSERT_TRUE(this->video._create_surface(4, 4, "s", "g", false));
  ASSERT_TRUE(this->video._create_sprite("sp", "g", "s", "g", false));
  EXPECT_EQ(this->video._get_surface("s", "nog"), nullptr);
  EXPECT_EQ(this->video._get_error(), "Group not exist: nog");
  EXPECT_EQ(this->video._get_surface("nos", "g"), nullptr);
  EXPECT_EQ(this->video._get_error(), "Surface not exist: nos");
  EXPECT_EQ(this->video._get_sprite("sp", "nog"), nullptr);
  EXPECT_EQ(this->video._get_error(), "Group not exist: nog");
  EXPECT_EQ(this->video._get_sprite("nosp", "g"), nullptr);
  EXPECT_EQ(this->video._get_error(), "Sprite not exist: nosp");
  // The lookup by reference answers and reports as the one by value, the current group included.
  EXPECT_EQ(this->video._find_sprite("nosp", "g"), nullptr);
  EXPECT_EQ(this->video._get_error(), "Sprite not exist: nosp");
  EXPECT_NE(this->video._find_sprite("sp", "g"), nullptr);
  EXPECT_EQ(this->video._find_sprite("sp", "g"), this->video._get_sprite("sp", "g"));

  EXPECT_FALSE(this->video._remove_surface("s", "nog"));
  EXPECT_EQ(this->video._get_error(), "No such group: nog");
  EXPECT_FALSE(this->video._remove_surface("nos", "g"));
  EXPECT_EQ(this->video._get_error(), "No such surface: nos");
  EXPECT_FALSE(this->video._remove_surface("s", ""));  // no current-group stand-in here
  EXPECT_TRUE(this->video._remove_surface("s", "g"));
  EXPECT_EQ(this->video._get_surface("s", "g"), nullptr);
  ASSERT_TRUE(this->video._create_surface(4, 4, "s", "g", false));
  ASSERT_TRUE(this->video._set_group("g"));
  Video_Sprite* kept = this->video._get_sprite("sp", "g");
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(this->video._find_sprite("sp", ""), kept);
}

TYPED_TEST(DriverStorage, DrawSpriteRequests) {
  EXPECT_FALSE(this->video._draw_sprite(nullptr));
  EXPECT_EQ(this->video._get_error(), "Illegal sprite handler! 0x00000000");
  EXPECT_FALSE(this->video._draw_sprite("sp", "nog"));
  EXPECT_EQ(this->video._get_error(), "No such group: nog");
  ASSERT_TRUE(this->video._create_sprite("sp", "g", "s", "g", false));
  EXPECT_FALSE(this->video._draw_sprite("other", "g"));
  EXPECT_EQ(this->video._get_error(), "No such surface: other");
  EXPECT_TRUE(this->video._draw_sprite("sp", "g"));
  EXPECT_TRUE(this->video._get_sprite("sp", "g")->_queued_);
}

TYPED_TEST(DriverStorage, SpriteNamesAndReplacement) {
  ASSERT_TRUE(this->video._create_surface(64, 32, "a", "g", false));
  ASSERT_TRUE(this->video._create_surface(16, 16, "b", "g", false));
  ASSERT_TRUE(this->video._create_sprite("sp", "g", "a", "g", false));
  Video_Sprite* old = this->video._get_sprite("sp", "g");
  EXPECT_EQ(old->_get_width(), 64);
  EXPECT_EQ(old->_get_height(), 32);
  EXPECT_FALSE(this->video._create_sprite("sp", "g", "b", "g", false));
  EXPECT_EQ(this->video._get_error(), "Sprite already exist: sp");

  ASSERT_TRUE(this->video._draw_sprite(old));  // queued, then displaced: must leave the queue
  ASSERT_TRUE(this->video._create_sprite("sp", "g", "b", "g", true));
  Video_Sprite* fresh = this->video._get_sprite("sp", "g");
  EXPECT_EQ(fresh->_get_width(), 16);
  // The displaced sprite no longer hangs in its surface's list.
  EXPECT_TRUE(this->video._get_surface("a", "g")->_get_linked_sprites().empty());
  ASSERT_EQ(this->video._get_surface("b", "g")->_get_linked_sprites().size(), 1u);
  EXPECT_EQ(this->video._get_surface("b", "g")->_get_linked_sprites()[0], fresh);
  this->video._flip();  // no window: just empties the queues
}

// The live entries of a surface's list, in list order.
std::vector<Video_Sprite*> linked(Video_Surface* surface) {
  std::vector<Video_Sprite*> live;
  for (Video_Sprite* sprite : surface->_get_linked_sprites())
    if (sprite != nullptr) live.push_back(sprite);
  return live;
}

TYPED_TEST(DriverStorage, SpritesLeaveTheirSurfaceInAnyOrderAndTheRestKeepLinkOrder) {
  ASSERT_TRUE(this->video._create_surface(8, 8, "s", "g", false));
  std::vector<Video_Sprite*> sprites;
  for (int i = 0; i < 10; ++i) {
    const std::string name = "sp" + std::to_string(i);
    ASSERT_TRUE(this->video._create_sprite(name, "g", "s", "g", false));
    sprites.push_back(this->video._get_sprite(name, "g"));
  }
  Video_Surface* surface = this->video._get_surface("s", "g");
  // Removed from the middle, the front and the back, past the point where the gaps are closed.
  for (int i : {4, 0, 9, 5, 1, 7}) ASSERT_TRUE(this->video._remove_sprite("sp" + std::to_string(i), "g"));
  EXPECT_EQ(linked(surface), (std::vector<Video_Sprite*>{sprites[2], sprites[3], sprites[6], sprites[8]}));
  for (int i : {2, 3, 6}) ASSERT_TRUE(this->video._remove_sprite("sp" + std::to_string(i), "g"));
  // A sprite linked again after the gaps were closed is appended behind the survivor.
  ASSERT_TRUE(this->video._create_sprite("late", "g", "s", "g", false));
  EXPECT_EQ(linked(surface), (std::vector<Video_Sprite*>{sprites[8], this->video._get_sprite("late", "g")}));
}

TYPED_TEST(DriverStorage, ASpriteLinkedToAnotherSurfaceLeavesTheFirstOnesList) {
  ASSERT_TRUE(this->video._create_surface(8, 8, "a", "g", false));
  ASSERT_TRUE(this->video._create_surface(8, 8, "b", "g", false));
  ASSERT_TRUE(this->video._create_sprite("sp", "g", "a", "g", false));
  Video_Sprite* sprite = this->video._get_sprite("sp", "g");
  Video_Surface* a = this->video._get_surface("a", "g");
  Video_Surface* b = this->video._get_surface("b", "g");
  b->_link_sprite(sprite);
  b->_link_sprite(sprite);  // already there: listed once
  EXPECT_TRUE(linked(a).empty());
  EXPECT_EQ(linked(b), std::vector<Video_Sprite*>{sprite});
  // Deleting the sprite leaves no pointer to it in either list.
  ASSERT_TRUE(this->video._remove_sprite("sp", "g"));
  EXPECT_TRUE(linked(a).empty());
  EXPECT_TRUE(linked(b).empty());
}

TYPED_TEST(DriverStorage, RemoveSpriteReleasesIt) {
  ASSERT_TRUE(this->video._create_surface(8, 8, "s", "g", false));
  ASSERT_TRUE(this->video._create_sprite("sp", "g", "s", "g", false));
  ASSERT_TRUE(this->video._draw_sprite("sp", "g"));
  EXPECT_TRUE(this->video._remove_sprite("sp", "g"));
  EXPECT_EQ(this->video._get_sprite("sp", "g"), nullptr);
  EXPECT_TRUE(this->video._get_surface("s", "g")->_get_linked_sprites().empty());
  EXPECT_FALSE(this->video._remove_sprite("sp", "g"));
  EXPECT_EQ(this->video._get_error(), "No such sprite: sp");
  EXPECT_FALSE(this->video._remove_sprite("sp", "nog"));
  EXPECT_EQ(this->video._get_error(), "No such group: nog");
}

TYPED_TEST(DriverStorage, SpriteOutlivesItsSurface) {
  ASSERT_TRUE(this->video._create_surface(8, 8, "s", "g", false));
  ASSERT_TRUE(this->video._create_sprite("sp", "g", "s", "g", false));
  Video_Sprite* sprite = this->video._get_sprite("sp", "g");
  ASSERT_TRUE(this->video._remove_surface("s", "g"));
  EXPECT_EQ(sprite->_linked_surface_, nullptr);
  EXPECT_EQ(sprite->_get_surface_name(), "s");
  EXPECT_TRUE(this->video._remove_sprite("sp", "g"));
}

TYPED_TEST(DriverStorage, PointInSpriteUsesTheUnscaledBox) {
  ASSERT_TRUE(this->video._create_surface(80, 60, "s", "g", false));
  ASSERT_TRUE(this->video._create_sprite("sp", "g", "s", "g", false));
  Video_Sprite* sprite = this->video._get_sprite("sp", "g");
  sprite->_set_scale(5, 5);
  sprite->_set_rotation(45);
  // 80 x 60 pixels are 0.2 x 0.2 in an 800 x 600 window.
  EXPECT_TRUE(this->video._is_point_in_sprite(0, 0, 0.2, 0.1, "sp", "g"));  // right edge
  EXPECT_TRUE(this->video._is_point_in_sprite(0, 0, 0, 0, "sp", "g"));
  EXPECT_FALSE(this->video._is_point_in_sprite(0, 0, 0.2001, 0.1, "sp", "g"));
  EXPECT_FALSE(this->video._is_point_in_sprite(0, 0, 0.1, -0.001, "sp", "g"));
  sprite->_set_base_point(0.5, 0.5);
  EXPECT_TRUE(this->video._is_point_in_sprite(0, 0, -0.09, -0.09, "sp", "g"));
  EXPECT_FALSE(this->video._is_point_in_sprite(0, 0, 0.15, 0, "sp", "g"));
  EXPECT_FALSE(this->video._is_point_in_sprite(0, 0, 0, 0, "missing", "g"));
}

TYPED_TEST(DriverStorage, SpriteBasePointRectangleAndRotation) {
  ASSERT_TRUE(this->video._create_surface(64, 64, "s", "g", false));
  ASSERT_TRUE(this->video._create_sprite("sp", "g", "s", "g", false));
  Video_Sprite* sprite = this->video._get_sprite("sp", "g");
  EXPECT_DOUBLE_EQ(sprite->_get_h_offset(), 0.16);
  EXPECT_NEAR(sprite->_get_v_offset(), 0.213333, 1e-6);

  sprite->_set_base_point(0.5, 0.5);
  EXPECT_DOUBLE_EQ(sprite->_get_base_x(), 0.08);
  EXPECT_NEAR(sprite->_get_base_y(), 0.1066667, 1e-6);
  sprite->_set_base_point(40, 30);  // pixels
  EXPECT_DOUBLE_EQ(sprite->_get_base_x(), 0.1);
  EXPECT_DOUBLE_EQ(sprite->_get_base_y(), 0.1);

  sprite->_set_rotation(90);
  EXPECT_NEAR(sprite->_get_rotation(), M_PI / 2, 1e-6);

  sprite->_set_base_point(0, 0);
  sprite->_set_coord(0.5, -0.5);
  sprite->_set_scale(2, 0.5);
  VideoRect rect;
  sprite->_get_rectangle(&rect);  // unrotated area, scales applied to the position too
  EXPECT_DOUBLE_EQ(rect.x1, 1.0);
  EXPECT_DOUBLE_EQ(rect.x2, 1.32);
  EXPECT_DOUBLE_EQ(rect.y1, -0.25);
  EXPECT_NEAR(rect.y2, (-0.5 + 0.213333) * 0.5, 1e-6);
  sprite->_get_rectangle(nullptr);
}

TYPED_TEST(DriverStorage, ParticleSetsStoreWhatTheyAreGiven) {
  ASSERT_TRUE(this->video._create_particles("p", "g", "", "", 3, false));
  Video_Particles* set = this->video._get_particles("p", "g");
  ASSERT_NE(set, nullptr);
  EXPECT_TRUE(set->_set_particle(2, 0, 0, 0, 0, 0, 1));
  EXPECT_FALSE(set->_set_particle(3, 0, 0, 0, 0, 0, 1));
  EXPECT_FALSE(set->_set_particle(-1, 0, 0, 0, 0, 0, 1));

  set->_set_particles_base_coord(0.5, 0);
  float bx = 0, by = 0;
  set->_get_particles_base_coord(&bx, &by);
  EXPECT_FLOAT_EQ(bx, 0.5f);
  ASSERT_TRUE(set->_set_particle(0, 0.1f, 0.2f, 255, 128, 0, 0.25f));
  float x = 0, y = 0, a = 0;
  int r = 0, g = 0, b = 0;
  ASSERT_TRUE(set->_get_particle(0, &x, &y, &r, &g, &b, &a));
  EXPECT_FLOAT_EQ(x, 0.6f);
  EXPECT_FLOAT_EQ(y, 0.2f);
  EXPECT_EQ(r, 255);
  EXPECT_EQ(g, 128);
  EXPECT_EQ(b, 0);
  EXPECT_FLOAT_EQ(a, 0.25f);
  EXPECT_FALSE(set->_get_particle(3, &x, &y, &r, &g, &b, &a));
  EXPECT_FLOAT_EQ(x, 0.6f);  // untouched by the failed read
}

TYPED_TEST(DriverStorage, ParticleMessagesAndRelease) {
  EXPECT_FALSE(this->video._create_particles("p", "g", "", "", -1, false));
  // Ten million particles once passed 6 GB, or threw bad_alloc out of the plug-in.
  EXPECT_FALSE(this->video._create_particles("p", "g", "", "", 10000000, false));
  EXPECT_EQ(this->video._get_error(), "Bad particles count: 10000000");
  EXPECT_EQ(this->video._get_particles("p", "g"), nullptr);
  ASSERT_TRUE(this->video._create_particles("p", "g", "", "", 0, false));  // an empty set is fine
  EXPECT_FALSE(this->video._create_particles("p", "g", "", "", 4, false));
  EXPECT_EQ(this->video._get_error(), "Particles already exist: p");
  ASSERT_TRUE(this->video._create_particles("p", "g", "", "", 4, true));
  EXPECT_TRUE(this->video._get_particles("p", "g")->_set_particle(3, 0, 0, 0, 0, 0, 1));

  EXPECT_EQ(this->video._get_particles("p", "nog"), nullptr);
  EXPECT_EQ(this->video._get_error(), "Group not exist: nog");
  EXPECT_EQ(this->video._get_particles("q", "g"), nullptr);
  EXPECT_EQ(this->video._get_error(), "Particles not exist: q");
  EXPECT_FALSE(this->video._draw_particles("p", "nog", true));
  EXPECT_EQ(this->video._get_error(), "No such particles group: nog");
  EXPECT_FALSE(this->video._draw_particles("q", "g", true));
  EXPECT_EQ(this->video._get_error(), "No such particles: q");

  // Released through the driver while queued, then again by a direct delete of another set:
  // each goes exactly once and leaves no queue entry behind.
  ASSERT_TRUE(this->video._draw_particles("p", "g", false));
  EXPECT_TRUE(this->video._remove_particles("p", "g"));
  EXPECT_EQ(this->video._get_particles("p", "g"), nullptr);
  EXPECT_FALSE(this->video._remove_particles("p", "g"));
  ASSERT_TRUE(this->video._create_particles("d", "g", "", "", 2, false));
  ASSERT_TRUE(this->video._draw_particles("d", "g", true));
  delete this->video._get_particles("d", "g");
  EXPECT_EQ(this->video._get_particles("d", "g"), nullptr);
  this->video._flip();
}

TYPED_TEST(DriverStorage, EmptyQueueGivesNoEvent) {
  Event event = this->video._get_event();
  EXPECT_EQ(event._get_type(), NO_EVENT);
  float x = 1, y = 1;
  int buttons = 1;
  event._get_mouse_state(&x, &y, &buttons);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(buttons, 0);
  EXPECT_EQ(event.dx, 0);
  EXPECT_EQ(event.dy, 0);
  EXPECT_EQ(event._get_keyboard_state(), 0);
  EXPECT_EQ(event._get_char(), 0);
  // Mouse queries without a window.
  MOUSE_BUTTON button = MOUSE_BUTTON_LEFT;
  EVENT_TYPE state = MOUSE_PRESS;
  this->video._get_mouse_button_state(&button, &state);
  EXPECT_EQ(state, MOUSE_RELEASE);
  double nx = 5, ny = 5;
  this->video._get_mouse_position(&nx, &ny);
  EXPECT_EQ(nx, 0);
  this->video._enable_mouse_move_events(true);  // before _init: nothing happens
  EXPECT_EQ(this->video._get_event()._get_type(), NO_EVENT);
  this->video._show_mouse(true);
}

TEST_F(GLDriverStorage, FixedAnswers) {
  EXPECT_EQ(video._get_name(), "libGL_tessar");
  EXPECT_EQ(video._get_info(), "");
  EXPECT_FALSE(video._remove_sprite("", ""));
  EXPECT_FALSE(video._blit("a", 0.0, 0.0, "b", 0.0, 0.0));
  EXPECT_FALSE(video._group_blit("a", 0, 0, "b", 0, 0, "g", "h"));
  EXPECT_TRUE(video._set_cursor_sprite("c", "g"));
  Video_Features* features = video._get_features();
  EXPECT_EQ(features, video._get_features());
  EXPECT_FALSE(features->_support_blit());
  EXPECT_TRUE(features->_support_sprites());
  EXPECT_TRUE(features->_support_particles());
  EXPECT_FALSE(features->_support_get_main_surfaace());
}

TEST(VideoSettings, DefaultsAndExactYes) {
  make_config("SettingsEmpty", {});
  VideoSettings s = read_video_settings(config_get_interface("SettingsEmpty"), "SettingsEmpty", "Video->");
  EXPECT_EQ(s.width, 800);
  EXPECT_EQ(s.height, 600);
  EXPECT_TRUE(s.full_screen);
  EXPECT_FALSE(s.mouse_visible);
  EXPECT_TRUE(s.vbo);
  EXPECT_TRUE(s.point_sprite);
  EXPECT_EQ(s.limit_fps, 0.0f);
  EXPECT_EQ(s.base_height, 600);
  EXPECT_EQ(s.caption, "OpenGL video driver Version: 2.0.0");
  // Reading stores the defaults under the prefix.
  EXPECT_EQ(config_get_interface("SettingsEmpty")->get_value("Video->Width", "x"), "800");

  make_config("SettingsOdd", {{"FullScreen", "Yes"}, {"HideMouse", "no"}, {"VBO", "YES"},
                              {"PointSprite", "yes "}, {"LimitFPS", "50"}, {"Height", "300"}});
  s = read_video_settings(config_get_interface("SettingsOdd"), "SettingsOdd", "Video->");
  EXPECT_FALSE(s.full_screen);
  EXPECT_TRUE(s.mouse_visible);
  EXPECT_FALSE(s.vbo);
  EXPECT_FALSE(s.point_sprite);
  EXPECT_FLOAT_EQ(s.limit_fps, 50.0f);
  EXPECT_EQ(s.height, 300);
}

// Sizes once went through a cast to short: 65600 became a 64-pixel window, 1e308 became 1.
TEST(VideoSettings, BadNumbersAreNamedAndTakeTheirDefaults) {
  make_config("SettingsBad", {{"Width", "65600"}, {"Height", "1e308"}, {"BaseHeight", "-5"},
                              {"LimitFPS", "0.000001"}});
  testing::internal::CaptureStderr();
  VideoSettings s = read_video_settings(config_get_interface("SettingsBad"), "SettingsBad", "Video->");
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(s.width, 800);
  EXPECT_EQ(s.height, 600);
  EXPECT_EQ(s.base_height, 600);
  EXPECT_EQ(s.limit_fps, 0.0f);
  EXPECT_NE(log.find("SettingsBad: Video->Width \"65600\" is out of range 1 to 16384; using 800"),
            std::string::npos) << log;
  EXPECT_NE(log.find("Video->Height \"1e308\" is out of range"), std::string::npos) << log;
  EXPECT_NE(log.find("Video->BaseHeight"), std::string::npos) << log;
  EXPECT_NE(log.find("Video->LimitFPS \"0.000001\" is out of range 1 to 10000 (or 0 for off)"),
            std::string::npos) << log;
}

TEST(VideoSettings, ExtensionReport) {
  auto run = [](const std::string& extensions, bool core, bool arb_works, bool vbo, bool ps) {
    std::ostringstream out;
    bool adopted = false;
    check_required_extensions(
        extensions, core, [&] { adopted = true; return arb_works; }, &vbo, &ps, out);
    return std::make_tuple(out.str(), vbo, ps, adopted);
  };
  const std::string both = "GL_A GL_ARB_vertex_buffer_object GL_ARB_point_sprite GL_B";
  auto [text, vbo, ps, adopted] = run(both, true, true, true, true);
  EXPECT_EQ(text, "GL_ARB_vertex_buffer_object: yes\nGL_ARB_point_sprite: yes\n");
  EXPECT_TRUE(vbo && ps);
  EXPECT_FALSE(adopted);

  std::tie(text, vbo, ps, adopted) = run("GL_ARB_vertex_buffer_object", true, true, true, true);
  EXPECT_EQ(text, "GL_ARB_vertex_buffer_object: yes\nGL_ARB_point_sprite:no\n");
  EXPECT_FALSE(ps);

  std::tie(text, vbo, ps, adopted) = run(both, false, false, true, false);
  EXPECT_EQ(text,
            "GL_ARB_vertex_buffer_object: yes\nIntel detected. Making some hacks.\n"
            "Hacking failed. Disabling VBO!\n"
            "PointSprites Disabled. General effects perfomance will be lost.\n");
  EXPECT_FALSE(vbo);
  EXPECT_TRUE(adopted);

  std::tie(text, vbo, ps, adopted) = run("", true, true, false, true);
  EXPECT_EQ(text,
            "VBO Disabled. General perfomance will be lost.\nGL_ARB_point_sprite:no\n");
}

TEST(VideoEntry, DriverNeedsTwoParametersAndAConfiguration) {
  make_config("EntryConfig", {});
  const std::string params[3] = {"EntryConfig", "Video->", "VX_Video"};
  EXPECT_EQ(_get_video_driver(params, 1), nullptr);
  const std::string missing[2] = {"NoSuchConfig", "Video->"};
  EXPECT_EQ(_get_video_driver(missing, 2), nullptr);
  Video_Interface* video = _get_video_driver(params, 3);
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(video->_get_width(), 800);
  delete video;
}

TEST(VideoComponent, CreatesDriversFromThePlugIn) {
  make_config("ComponentConfig", {});
  std::string params[3] = {"ComponentConfig", "Video->", "VX_Video"};
  ASSERT_TRUE(video_create("CompVideo", "libGL_tessar", params, 3, 0)) << video_error();
  Video_Interface* video = video_get_interface("CompVideo");
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(video->_get_name(), "libGL_tessar");
  EXPECT_FALSE(video_create("CompVideo", "libGL_tessar", params, 3, 0));
  EXPECT_EQ(video_error(), "Video already exist: CompVideo");

  EXPECT_FALSE(video_create("Other", "libno_such_driver", params, 3, 0));
  EXPECT_NE(video_error().find("libno_such_driver"), std::string::npos);
  EXPECT_FALSE(video_create("Other", "libGL_tessar", params, 1, 0));
  EXPECT_FALSE(video_create("Other", "libGL_tessar", nullptr, 3, 0));
  EXPECT_EQ(video_get_interface("Other"), nullptr);

  EXPECT_TRUE(video_remove("CompVideo"));
  EXPECT_EQ(video_get_interface("CompVideo"), nullptr);
  EXPECT_FALSE(video_remove("CompVideo"));
}

TEST(SharedClasses, ColourAndKeyTable) {
  VideoColor colour;
  colour.set_color(255, 128, -4, 300);
  EXPECT_EQ(colour.bytes[0], 255);
  EXPECT_EQ(colour.bytes[1], 128);
  EXPECT_EQ(colour.bytes[2], 0);
  EXPECT_EQ(colour.bytes[3], 255);
  EXPECT_FLOAT_EQ(colour.green, 128 / 255.0f);

  EXPECT_EQ(translate_glfw_key('A'), 65);
  EXPECT_EQ(translate_glfw_key(' '), 32);
  EXPECT_EQ(translate_glfw_key('7'), '7');
  EXPECT_EQ(translate_glfw_key(256), VKEY_ESC);         // GLFW 3 escape
  EXPECT_EQ(translate_glfw_key(290), 258);              // F1
  EXPECT_EQ(translate_glfw_key(314), 282);              // F25
  EXPECT_EQ(translate_glfw_key(265), VKEY_UP);
  EXPECT_EQ(translate_glfw_key(259), 295);              // backspace
  EXPECT_EQ(translate_glfw_key(257), 294);              // enter
  EXPECT_EQ(translate_glfw_key(320), 302);              // keypad 0
  EXPECT_EQ(translate_glfw_key(335), 318);              // keypad enter
  EXPECT_EQ(translate_glfw_key(330), VKEY_KP_DECIMAL);
  EXPECT_EQ(translate_glfw_key(340), VKEY_LSHIFT);
  EXPECT_EQ(translate_glfw_key(346), VKEY_RALT);
  EXPECT_EQ(translate_glfw_key(-1), -1);
  EXPECT_EQ(translate_glfw_key(283), -1);  // print screen has no number
}

TEST(SharedClasses, SurfaceSplitTexture) {
  Video_Surface surface;
  ASSERT_TRUE(surface._create(3, 2));
  auto* data = static_cast<unsigned char*>(surface._get_surface_data());
  data[surface._get_pitch() + 2 * 4 + 1] = 77;  // row 1, column 2, green
  short out[2] = {0, 0};
  ASSERT_TRUE(surface._split_texture_(1, 1, 2, 1, out, 1));
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], 77);
  EXPECT_FALSE(surface._split_texture_(2, 1, 2, 1, out, 1));
  EXPECT_FALSE(surface._split_texture_(0, 0, 1, 1, out, 4));
  EXPECT_FALSE(surface._split_texture_(0, 0, 1, 1, nullptr, 0));
}

}  // namespace
