// Image objects: pictures through the PNG loader, sprites placed by position, exact hit tests.

#include "objects_fixture.h"
#include "vistrel/imageloader.h"
#include "voskar/image.h"

using namespace objects_test;

namespace {

const Rgba kRed = {255, 0, 0, 255};

// 16 x 16, opaque red except a fully transparent 6 x 6 block in the top left corner and one
// barely visible pixel (alpha 1) at column 12 of the second row from the top.
Rgba cornered(int x, int y) {
  if (x < 6 && y < 6) return {0, 0, 0, 0};
  if (x == 12 && y == 1) return {255, 0, 0, 1};
  return kRed;
}

// The screen point over picture pixel (px, py from the top) of a 16 x 16 image centred on
// (cx, cy) of an 800 x 600 screen.
std::pair<float, float> over(float cx, float cy, int px, int py) {
  const float w = 2.0f * 16 / 800, h = 2.0f * 16 / 600;
  return {cx - w / 2 + (px + 0.5f) * w / 16, cy + h / 2 - (py + 0.5f) * h / 16};
}

std::string image_section(const std::string& name, const std::string& file,
                          const std::string& image_keys = "", const std::string& object_keys = "") {
  return scene_kit::object_section(name, "Image",
                                   "\t\t[Image]\n\t\t\timage_file " + file + "\n" + image_keys +
                                       "\t\t[/]\n\t\t[SceneObject]\n" + object_keys + "\t\t[/]\n");
}

std::string at(float x, float y, const std::string& more = "") {
  return "\t\t\tabsolute_x " + std::to_string(x) + "\n\t\t\tabsolute_y " + std::to_string(y) +
         "\n" + more;
}

}  // namespace

TEST_F(SceneObjects, AlphaHitTestMissesOnlyWhereThePictureIsFullyTransparent) {
  const std::string picture = write_png(dir, "cornered.png", 16, 16, cornered);
  Scene* scene = loaded({{"plain", 0}, {"exact", 0}},
                        image_section("plain", picture, "", at(-0.5f, 0)) +
                            image_section("exact", picture, "",
                                          at(0.5f, 0, "\t\t\trequire_alpha_collision true\n")));
  ASSERT_TRUE(scene->draw());
  SceneObject* exact = scene->get_object("exact");
  SceneObject* plain = scene->get_object("plain");
  ASSERT_TRUE(exact && plain);
  auto hits = [](SceneObject* object, std::pair<float, float> p) {
    return object->_is_point_in_object(p.first, p.second);
  };

  EXPECT_FALSE(hits(exact, over(0.5f, 0, 0, 0)));    // transparent top left
  EXPECT_FALSE(hits(exact, over(0.5f, 0, 5, 5)));
  EXPECT_TRUE(hits(exact, over(0.5f, 0, 6, 5)));     // just right of the transparent block
  EXPECT_TRUE(hits(exact, over(0.5f, 0, 0, 15)));    // bottom left: the rows are not upside down
  EXPECT_TRUE(hits(exact, over(0.5f, 0, 15, 0)));    // top right
  EXPECT_TRUE(hits(exact, over(0.5f, 0, 12, 1)));    // alpha 1 is not fully transparent
  EXPECT_FALSE(hits(exact, over(0.5f, 0, 20, 8)));   // beside the picture
  EXPECT_TRUE(hits(plain, over(-0.5f, 0, 0, 0)));    // without the alpha test the box counts
  EXPECT_FALSE(hits(plain, over(0.5f, 0, 8, 8)));
}

TEST_F(SceneObjects, ImagesLoadCentredAndAreDrawnAtTheirPositionUnlessHidden) {
  const std::string picture = write_png(dir, "plain.png", 16, 16, [](int, int) { return kRed; });
  Scene* scene = loaded({{"shown", 0}, {"hidden", 1}},
                        image_section("shown", picture, "", at(0.25f, -0.5f)) +
                            image_section("hidden", picture, "", at(0.5f, 0.5f, "\t\t\tshow no\n")));
  EXPECT_NE(load_log.find("shown loaded\n"), std::string::npos) << load_log;
  auto* shown = dynamic_cast<Image*>(scene->get_object("shown"));
  auto* hidden = dynamic_cast<Image*>(scene->get_object("hidden"));
  ASSERT_TRUE(shown && hidden);
  EXPECT_FLOAT_EQ(shown->_get_x_base(), 0.5f);
  Video_Sprite* sprite = shown->_get__sprite_();
  ASSERT_NE(sprite, nullptr);
  EXPECT_EQ(sprite, scene_kit::video()->_get_sprite("shown", scene->get_name()));
  EXPECT_DOUBLE_EQ(sprite->_get_base_x(), 0.5 * 2 * 16 / 800);
  EXPECT_DOUBLE_EQ(sprite->_get_base_y(), 0.5 * 2 * 16 / 600);

  ASSERT_TRUE(scene->draw());
  scene_kit::flip();
  EXPECT_EQ(scene_kit::drawn_last_frame(), "shown ");
  EXPECT_FLOAT_EQ(static_cast<float>(sprite->_get_x()), 0.25f);
  EXPECT_FLOAT_EQ(static_cast<float>(sprite->_get_y()), -0.5f);
  // Asked directly, a hidden image still neither moves nor queues its sprite.
  hidden->draw();
  scene_kit::flip();
  EXPECT_EQ(scene_kit::drawn_last_frame(), "");
  EXPECT_EQ(hidden->_get__sprite_()->_get_x(), 0.0);
}

TEST_F(SceneObjects, ANamedLoaderIsUsedWhateverTheExtension) {
  const std::string picture = write_png(dir, "picture.data", 4, 2, [](int, int) { return kRed; });
  Scene* scene = loaded({{"named", 0}}, image_section("named", picture, "\t\t\tloader png\n"));
  Video_Surface* surface = scene_kit::video()->_get_surface("named", scene->get_name());
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(surface->_get_width(), 4);
  EXPECT_EQ(surface->_get_height(), 2);
}

TEST_F(SceneObjects, AMissingPictureFailsTheLoadWithTheLoadersText) {
  Scene* scene = scene_of({{"lost", 0}}, image_section("lost", dir.file("nowhere.png")));
  testing::internal::CaptureStderr();
  EXPECT_FALSE(scene->load_scene());
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("Error: Can't load image:" + imageloader_error()), std::string::npos) << log;
  EXPECT_EQ(scene->get_object("lost"), nullptr);
}
