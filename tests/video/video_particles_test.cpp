// Particle sets drawn in the four modes (point sprites or quads, vertex buffers or not).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "video_fixture.h"
#include "xserver.h"

namespace {

using video_test::FrameGrabber;
using video_test::Rgba;
using video_test::fill_surface;
using video_test::open_driver;

struct Mode {
  bool vbo, point_sprite;
};

std::string mode_name(const ::testing::TestParamInfo<Mode>& info) {
  return std::string(info.param.point_sprite ? "Points" : "Quads") +
         (info.param.vbo ? "FromBuffers" : "Immediate");
}

class ParticleModes : public ::testing::TestWithParam<Mode> {
protected:
  void SetUp() override {
    REQUIRE_X_SERVER();
    video_ = open_driver(200, 200, {{"VBO", GetParam().vbo ? "yes" : "no"},
                                    {"PointSprite", GetParam().point_sprite ? "yes" : "no"}});
    ASSERT_TRUE(video_);
    ASSERT_EQ(video_->settings().vbo, GetParam().vbo);
    ASSERT_EQ(video_->settings().point_sprite, GetParam().point_sprite);
    frame_ = std::make_unique<FrameGrabber>(*video_);
    ASSERT_TRUE(video_->_create_surface(8, 8, "dot", "g", false));
    fill_surface(video_->_get_surface("dot", "g"), {255, 255, 255, 255});
  }

  // A set of two 20-pixel particles: red at pixel (50, 50) and half-transparent green at (150, 150).
  OpenGL_Particles* make_set(const std::string& name) {
    EXPECT_TRUE(video_->_create_particles(name, "g", "dot", "g", 2, false)) << video_->_get_error();
    auto* set = dynamic_cast<OpenGL_Particles*>(video_->_get_particles(name, "g"));
    if (set == nullptr) return nullptr;
    set->_set_particle_size(20);
    set->_set_particle(0, -0.5f, -0.5f, 255, 0, 0, 1.0f);
    set->_set_particle(1, 0.5f, 0.5f, 0, 255, 0, 0.5f);
    return set;
  }

  // A pixel inside particle i in both modes: points are centred, quads start at the position.
  Rgba inside(int centre) { return frame_->at(centre + 4, centre + 4); }
  // A pixel covered in one mode only.
  Rgba only_points(int centre) { return frame_->at(centre - 6, centre - 6); }
  Rgba only_quads(int centre) { return frame_->at(centre + 15, centre + 15); }

  std::unique_ptr<OpenGL_Video> video_;
  std::unique_ptr<FrameGrabber> frame_;
};

TEST_P(ParticleModes, DrawnWhereTheModePlacesThem) {
  OpenGL_Particles* set = make_set("p");
  ASSERT_NE(set, nullptr);
  EXPECT_EQ(set->point_mode(), GetParam().point_sprite);
  ASSERT_TRUE(video_->_draw_particles("p", "g", false));
  frame_->flip();
  EXPECT_RGB_NEAR(inside(50), 255, 0, 0);
  EXPECT_RGB_NEAR(inside(150), 0, 128, 0);  // alpha 0.5 over black
  if (GetParam().point_sprite) {
    EXPECT_RGB_NEAR(only_points(50), 255, 0, 0);
    EXPECT_RGB_NEAR(only_quads(50), 0, 0, 0);
  } else {
    EXPECT_RGB_NEAR(only_points(50), 0, 0, 0);
    EXPECT_RGB_NEAR(only_quads(50), 255, 0, 0);
  }
  EXPECT_RGB_NEAR(frame_->at(100, 100), 0, 0, 0);

  // Positions persist; a moved particle is drawn at its new place.
  set->_set_particle(0, 0.0f, 0.0f, 0, 0, 255, 1.0f);
  video_->_draw_particles("p", "g", false);
  frame_->flip();
  EXPECT_RGB_NEAR(inside(100), 0, 0, 255);
  EXPECT_RGB_NEAR(inside(50), 0, 0, 0);
  EXPECT_RGB_NEAR(inside(150), 0, 128, 0);
}

TEST_P(ParticleModes, UnderOrOverTheSprites) {
  ASSERT_NE(make_set("p"), nullptr);
  ASSERT_TRUE(video_->_create_surface(200, 200, "blue", "g", false));
  fill_surface(video_->_get_surface("blue", "g"), {0, 0, 255, 255});
  video_->_get_surface("blue", "g")->_set_alpha_status(ALPHA_OPAQUE);
  ASSERT_TRUE(video_->_create_sprite("back", "g", "blue", "g", false));
  video_->_get_sprite("back", "g")->_set_coord(-1, -1);

  video_->_draw_sprite("back", "g");
  video_->_draw_particles("p", "g", true);
  frame_->flip();
  EXPECT_RGB_NEAR(inside(50), 0, 0, 255);

  video_->_draw_sprite("back", "g");
  video_->_draw_particles("p", "g", false);
  frame_->flip();
  EXPECT_RGB_NEAR(inside(50), 255, 0, 0);
  EXPECT_RGB_NEAR(inside(150), 0, 128, 128);  // half green over blue

  // Sprites drawn after a particle queue still come out right (no buffer left bound).
  video_->_draw_particles("p", "g", true);
  video_->_draw_sprite("back", "g");
  frame_->flip();
  EXPECT_RGB_NEAR(frame_->at(100, 100), 0, 0, 255);
}

TEST_P(ParticleModes, BaseCoordinateAndReplacement) {
  OpenGL_Particles* set = make_set("p");
  ASSERT_NE(set, nullptr);
  set->_set_particles_base_coord(0.5f, 0);
  set->_set_particle(0, -0.5f, -0.5f, 255, 0, 0, 1.0f);  // lands at (0, -0.5)
  video_->_draw_particles("p", "g", false);
  frame_->flip();
  EXPECT_RGB_NEAR(inside(50), 0, 0, 0);
  EXPECT_RGB_NEAR(frame_->at(104, 54), 255, 0, 0);

  // A replaced set that was queued is not drawn; its successor starts empty.
  video_->_draw_particles("p", "g", false);
  ASSERT_TRUE(video_->_create_particles("p", "g", "dot", "g", 1, true));
  frame_->flip();
  EXPECT_RGB_NEAR(frame_->at(104, 54), 0, 0, 0);
  EXPECT_RGB_NEAR(inside(150), 0, 0, 0);

  // Removed through the driver while queued: not drawn, released once.
  video_->_draw_particles("p", "g", true);
  EXPECT_TRUE(video_->_remove_particles("p", "g"));
  frame_->flip();
}

TEST_P(ParticleModes, MissingTextureKeepsTheLastOne) {
  ASSERT_NE(make_set("p"), nullptr);
  ASSERT_TRUE(video_->_create_particles("lost", "g", "no_such_surface", "g", 1, false));
  Video_Particles* lost = video_->_get_particles("lost", "g");
  lost->_set_particle_size(20);
  lost->_set_particle(0, 0.0f, 0.0f, 0, 0, 255, 1.0f);
  video_->_draw_particles("p", "g", false);
  video_->_draw_particles("lost", "g", false);
  frame_->flip();
  EXPECT_RGB_NEAR(inside(50), 255, 0, 0);
  EXPECT_RGB_NEAR(inside(100), 0, 0, 255);  // drawn with the white dot still bound
}

TEST_P(ParticleModes, PictureWithTransparentEdgesLeavesNoFrame) {
  // A 16 x 16 picture: a white disc of radius 6 in the middle, transparent around it.
  ASSERT_TRUE(video_->_create_surface(16, 16, "disc", "g", false));
  Video_Surface* disc = video_->_get_surface("disc", "g");
  fill_surface(disc, {0, 0, 0, 0});
  auto* data = static_cast<unsigned char*>(disc->_get_surface_data());
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      if ((x - 7.5) * (x - 7.5) + (y - 7.5) * (y - 7.5) <= 36)
        std::fill_n(data + y * disc->_get_pitch() + x * 4, 4, 255);
  ASSERT_TRUE(video_->_create_particles("p", "g", "disc", "g", 1, false));
  Video_Particles* set = video_->_get_particles("p", "g");
  set->_set_particle_size(32);  // two pixels a texel
  set->_set_particle(0, 0.0f, 0.0f, 255, 255, 255, 1.0f);
  video_->_draw_particles("p", "g", false);
  frame_->flip();

  // The particle's square: centred on the point, or from it up and right for a quad.
  const int left = GetParam().point_sprite ? 84 : 100, bottom = left;
  EXPECT_RGB_NEAR(frame_->at(left + 16, bottom + 16), 255, 255, 255);
  for (int along = 1; along < 31; ++along)
    for (int edge : {1, 30}) {
      SCOPED_TRACE("pixel " + std::to_string(along) + " along the edge at " + std::to_string(edge));
      EXPECT_RGB_NEAR(frame_->at(left + along, bottom + edge), 0, 0, 0);
      EXPECT_RGB_NEAR(frame_->at(left + edge, bottom + along), 0, 0, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(AllModes, ParticleModes,
                         ::testing::Values(Mode{true, true}, Mode{false, true}, Mode{true, false},
                                           Mode{false, false}),
                         mode_name);

TEST(ParticleQuads, QuadSizeFollowsTheWindowHeight) {
  REQUIRE_X_SERVER();
  auto video = open_driver(800, 600, {{"PointSprite", "no"}});
  ASSERT_TRUE(video);
  ASSERT_TRUE(video->_create_particles("p", "g", "", "", 1, false));
  auto* set = dynamic_cast<OpenGL_Particles*>(video->_get_particles("p", "g"));
  ASSERT_NE(set, nullptr);
  EXPECT_FALSE(set->point_mode());
  set->_set_particle_size(30);
  EXPECT_FLOAT_EQ(set->quad_size(), 0.1f);
  ASSERT_TRUE(set->_set_particle(0, 0.2f, 0.3f, 1, 2, 3, 0.5f));
  float x = 0, y = 0, a = 0;
  int r = 0, g = 0, b = 0;
  ASSERT_TRUE(set->_get_particle(0, &x, &y, &r, &g, &b, &a));  // the first vertex
  EXPECT_FLOAT_EQ(x, 0.2f);
  EXPECT_FLOAT_EQ(y, 0.3f);
  EXPECT_EQ(r + g + b, 6);
}

}  // namespace
