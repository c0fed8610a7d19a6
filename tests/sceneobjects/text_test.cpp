// Text objects: colour, size and font from the scene file, rendered by the TrueType plug-in.

#include <algorithm>
#include <cmath>

#include "objects_fixture.h"
#include "scrivet/textrenderer.h"
#include "voskar/text.h"

using namespace objects_test;

namespace {

std::string text_section(const std::string& name, const std::string& text_keys,
                         const std::string& object_keys = "") {
  return scene_kit::object_section(
      name, "Text",
      "\t\t[Text]\n\t\t\tfont Sans\n" + text_keys + "\t\t[/]\n\t\t[SceneObject]\n" + object_keys +
          "\t\t[/]\n");
}

struct Ink {
  int pixels = 0;
  int max_alpha = 0;
  bool one_colour = true;
  Rgba colour{};
};

Ink ink_of(Video_Surface* surface) {
  Ink ink;
  for (int y = 0; y < surface->_get_height(); ++y)
    for (int x = 0; x < surface->_get_width(); ++x) {
      const Rgba p = pixel(surface, x, y);
      if (p[3] == 0) continue;
      if (ink.pixels++ == 0) ink.colour = p;
      ink.one_colour = ink.one_colour && std::equal(p.begin(), p.begin() + 3, ink.colour.begin());
      ink.max_alpha = std::max<int>(ink.max_alpha, p[3]);
    }
  return ink;
}

}  // namespace

TEST_F(SceneObjects, TextColourBytesComeMostSignificantFirst) {
  Scene* scene = loaded({{"green", 0}, {"white", 0}},
                        text_section("green", "\t\t\ttext Go\n\t\t\tcolor 0x00ff0080\n") +
                            text_section("white", "\t\t\ttext Go\n"));
  EXPECT_EQ(dynamic_cast<Text*>(scene->get_object("green"))->_get_color(), 0x00ff0080u);
  EXPECT_EQ(dynamic_cast<Text*>(scene->get_object("white"))->_get_color(), 0xffffffffu);

  const Ink green = ink_of(scene_kit::video()->_get_surface("green", scene->get_name()));
  ASSERT_GT(green.pixels, 20);
  EXPECT_TRUE(green.one_colour);
  EXPECT_EQ(green.colour[0], 0);
  EXPECT_EQ(green.colour[1], 255);
  EXPECT_EQ(green.colour[2], 0);
  EXPECT_EQ(green.max_alpha, 0x80);

  const Ink white = ink_of(scene_kit::video()->_get_surface("white", scene->get_name()));
  EXPECT_EQ(white.colour, (Rgba{255, 255, 255, white.colour[3]}));
  EXPECT_EQ(white.max_alpha, 255);
}

TEST_F(SceneObjects, FontSizesAreReadInBaseZero) {
  Scene* scene = loaded({{"octal", 0}, {"hex", 0}, {"plain", 0}},
                        text_section("octal", "\t\t\ttext Size\n\t\t\tfont_size 010\n") +
                            text_section("hex", "\t\t\ttext Size\n\t\t\tfont_size 0x10\n") +
                            text_section("plain", "\t\t\ttext Size\n"));
  auto* octal = dynamic_cast<Text*>(scene->get_object("octal"));
  EXPECT_EQ(octal->_get_font_size(), 8);
  EXPECT_EQ(dynamic_cast<Text*>(scene->get_object("hex"))->_get_font_size(), 16);
  EXPECT_EQ(dynamic_cast<Text*>(scene->get_object("plain"))->_get_font_size(), 14);

  // What the object shows is the renderer's text at 8 pixels.
  VideoColor white;
  white.set_color(255, 255, 255, 255);
  ASSERT_TRUE(textrenderer_get("ttf")->render_text("Video", "Sans", std::string("Size"), white, 8,
                                                   "reference", "reference", true));
  Video_Surface* reference = scene_kit::video()->_get_surface("reference", "reference");
  Video_Surface* shown = scene_kit::video()->_get_surface("octal", scene->get_name());
  ASSERT_EQ(shown->_get_width(), reference->_get_width());
  ASSERT_EQ(shown->_get_height(), reference->_get_height());
  for (int y = 0; y < shown->_get_height(); ++y)
    for (int x = 0; x < shown->_get_width(); ++x)
      ASSERT_EQ(pixel(shown, x, y), pixel(reference, x, y)) << x << "," << y;
}

TEST_F(SceneObjects, TextFailuresNameTheSourceAndTheCause) {
  Scene* no_renderer = scene_of({{"t", 0}}, text_section("t", "\t\t\ttext Hi\n\t\t\trenderer_type nope\n"));
  testing::internal::CaptureStderr();
  EXPECT_FALSE(no_renderer->load_scene());
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("Error: text.cpp: Can't get renderer:" + textrenderer_error() + "\n"),
            std::string::npos)
      << log;

  Scene* no_font = scene_of({{"t", 0}}, scene_kit::object_section("t", "Text", "\t\t[Text]\n\t\t\tfont Nope\n\t\t[/]\n"));
  testing::internal::CaptureStderr();
  EXPECT_FALSE(no_font->load_scene());
  log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("Error: text.cpp: Can't render text:No such alias:\"Nope\"\n"),
            std::string::npos)
      << log;
}

TEST_F(SceneObjects, TextIsDrawnWhereItsPositionSays) {
  Scene* scene = loaded(
      {{"title", 0}, {"under", 0}, {"empty", 0}},
      text_section("title", "\t\t\ttext Title\n\t\t\tfont_size 30\n",
                   "\t\t\tabsolute_x 0.2507\n\t\t\tabsolute_y -0.5009\n") +
          text_section("under", "\t\t\ttext under\n\t\t\tx_base 0\n\t\t\ty_base 1\n",
                       "\t\t\tcoord_type link\n\t\t\tlink_object title\n\t\t\tlink_v_align bottom\n"
                       "\t\t\tlink_h_align left\n") +
          text_section("empty", ""));
  ASSERT_TRUE(scene->draw());
  scene_kit::flip();
  EXPECT_EQ(scene_kit::drawn_last_frame(), "title under empty ");
  Video_Sprite* title = scene_kit::video()->_get_sprite("title", scene->get_name());
  Video_Sprite* under = scene_kit::video()->_get_sprite("under", scene->get_name());
  // Within half a pixel of its position, with its corner on whole pixels (in pixels from the
  // window's left and bottom edges) so that its glyphs are drawn as rendered.
  const double pixel_x = 2.0 / scene_kit::video()->_get_width();
  const double pixel_y = 2.0 / scene_kit::video()->_get_height();
  EXPECT_NEAR(title->_get_x(), 0.2507, pixel_x / 2 + 1e-9);
  EXPECT_NEAR(title->_get_y(), -0.5009, pixel_y / 2 + 1e-9);
  auto on_grid = [](double edge, double pixel) {
    const double pixels = (edge + 1) / pixel;
    return std::abs(pixels - std::round(pixels)) < 1e-6;
  };
  VideoRect title_box, under_box;
  title->_get_rectangle(&title_box);
  under->_get_rectangle(&under_box);
  for (const VideoRect& box : {title_box, under_box}) {
    EXPECT_TRUE(on_grid(box.x1, pixel_x)) << box.x1;
    EXPECT_TRUE(on_grid(box.y1, pixel_y)) << box.y1;
  }
  // Linked under the title's left bottom corner, hanging from its own top left corner.
  EXPECT_NEAR(under_box.x1, title_box.x1, 1e-6);
  EXPECT_NEAR(under_box.y2, title_box.y1, 1e-6);
  EXPECT_GT(title->_get_width(), under->_get_width());

  // A text whose sprite is gone is silently skipped.
  ASSERT_TRUE(scene_kit::video()->_remove_sprite("title", scene->get_name()));
  ASSERT_TRUE(scene->draw());
  scene_kit::flip();
  EXPECT_EQ(scene_kit::drawn_last_frame(), "under empty ");
}
