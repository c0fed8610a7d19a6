// Placement (absolute, in parent scenes, linked), hit tests and pointer routing.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "scene_kit.h"

using namespace scene_kit;

namespace {

std::string probe(const std::string& name, const std::string& scene_object_keys,
                  const std::string& probe_keys = "") {
  return object_section(name, "Probe",
                        "\t\t[SceneObject]\n" + scene_object_keys + "\t\t[/]\n\t\t[Probe]\n" +
                            probe_keys + "\t\t[/]\n");
}

// A 100 x 150 pixel target at (0.25, 0.5): on the 800 x 600 screen it covers x 0.25..0.5 and
// y 0.5..1 (base point at its lower left corner); all of these are exact binary fractions.
const char* const kTarget = "\t\t\tabsolute_x 0.25\n\t\t\tabsolute_y 0.5\n";
const char* const kTargetSize = "\t\t\twidth 100\n\t\t\theight 150\n";

std::string link(const std::string& target, const std::string& v, const std::string& h,
                 const std::string& v_offset = "0", const std::string& h_offset = "0") {
  return "\t\t\tcoord_type link\n\t\t\tlink_object " + target + "\n\t\t\tlink_v_align " + v +
         "\n\t\t\tlink_h_align " + h + "\n\t\t\tlink_v_offset " + v_offset +
         "\n\t\t\tlink_h_offset " + h_offset + "\n";
}

class Placement : public SceneFixture {
protected:
  Scene* loaded_scene(const std::vector<std::pair<std::string, int>>& entries,
                      const std::string& sections) {
    Scene* scene = add_scene("placement", scene_file(entries, sections));
    EXPECT_TRUE(scene->load_scene());
    return scene;
  }
};

TEST_F(Placement, AnObjectWithoutKeysTakesTheDefaults) {
  Scene* scene = loaded_scene({{"plain", 0}}, object_section("plain", "Probe"));
  SceneObject* plain = scene->get_object("plain");
  EXPECT_EQ(plain->_get_coord_type(), "absolute");
  EXPECT_TRUE(plain->_get_show());
  EXPECT_FALSE(plain->_get_require_alpha_collision());
  EXPECT_EQ(plain->_get_link_v_align(), "center");
  EXPECT_EQ(plain->_get_link_h_align(), "center");
  EXPECT_EQ(plain->_get_link_object(), "");
  EXPECT_EQ(plain->_get_name(), "Video");
  EXPECT_EQ(plain->_get__storage_prefix_(), "Objects->plain->");
  EXPECT_EQ(plain->_get__storage_name_(), scene->get_name());
  plain->_set_x(5);
  EXPECT_TRUE(plain->calculate_position());
  EXPECT_FLOAT_EQ(plain->_get_x(), 0.0f);
  EXPECT_FLOAT_EQ(plain->_get_y(), 0.0f);
}

TEST_F(Placement, OnlyTheExactWordTrueShowsAnObject) {
  Scene* scene = loaded_scene({{"upper", 0}, {"shown", 0}, {"numeric", 0}},
                              probe("upper", "\t\t\tshow True\n") + probe("shown", "\t\t\tshow true\n") +
                                  probe("numeric", "\t\t\tshow 1\n"));
  EXPECT_FALSE(scene->get_object("upper")->_get_show());
  EXPECT_FALSE(scene->get_object("numeric")->_get_show());
  ASSERT_TRUE(scene->draw());
  flip();
  EXPECT_EQ(drawn_last_frame(), "shown ");
}

TEST_F(Placement, AbsolutePositionsScaleIntoTheParentScene) {
  Scene parent;
  parent.set_width(800);
  parent.set_height(600);
  scenes.push_back(make_scene(dir, unique_name("child"),
                              scene_file({{"p", 0}}, probe("p", "\t\t\tabsolute_x 200\n\t\t\tabsolute_y -30\n"))));
  Scene* child = scenes.back();
  child->set_width(400);
  child->set_height(150);
  child->set_x(100);
  child->set_y(10);
  child->set_parent(&parent);
  ASSERT_TRUE(child->load_scene());
  SceneObject* p = child->get_object("p");
  ASSERT_TRUE(p->calculate_position());
  EXPECT_FLOAT_EQ(p->_get_x(), 200.0f);
  EXPECT_FLOAT_EQ(p->_get_y(), 10.0f - 30.0f * 150 / 600);

  // A parent without a size does not divide by zero: the object stays unscaled.
  parent.set_width(0);
  ASSERT_TRUE(p->calculate_position());
  EXPECT_FLOAT_EQ(p->_get_x(), 200.0f);
  EXPECT_TRUE(std::isfinite(p->_get_y()));
}

TEST_F(Placement, LinkedObjectsAlignToTheirTargetWithOffsets) {
  Scene* scene = loaded_scene(
      {{"target", 0}, {"above", 1}, {"corner", 1}, {"middle", 1}},
      probe("target", kTarget, kTargetSize) + probe("above", link("target", "top", "left", "0.5")) +
          probe("corner", link("target", "bottom", "right", "-0.25", "0.5")) +
          probe("middle", link("target", "center", "center")));
  ASSERT_TRUE(scene->draw());

  SceneObject* above = scene->get_object("above");
  EXPECT_FLOAT_EQ(above->_get_x(), 0.25f);
  EXPECT_FLOAT_EQ(above->_get_y(), 1.25f);
  SceneObject* corner = scene->get_object("corner");
  EXPECT_FLOAT_EQ(corner->_get_x(), 0.625f);
  EXPECT_FLOAT_EQ(corner->_get_y(), 0.375f);
  SceneObject* middle = scene->get_object("middle");
  EXPECT_FLOAT_EQ(middle->_get_x(), 0.375f);
  EXPECT_FLOAT_EQ(middle->_get_y(), 0.75f);
}

TEST_F(Placement, BasePointLinksSitOnTheTargetsBasePointFrameAfterFrame) {
  Scene* scene = loaded_scene(
      {{"based", 0}, {"anchored", 1}},
      probe("based", kTarget, std::string(kTargetSize) + "\t\t\tx_base 0.5\n\t\t\ty_base 0.5\n") +
          probe("anchored", link("based", "base_point", "base_point", "1", "-1")));
  for (int frame = 0; frame < 3; ++frame) {
    ASSERT_TRUE(scene->draw());
    SceneObject* anchored = scene->get_object("anchored");
    EXPECT_FLOAT_EQ(anchored->_get_x(), 0.0f) << "frame " << frame;
    EXPECT_FLOAT_EQ(anchored->_get_y(), 1.0f) << "frame " << frame;
  }
}

TEST_F(Placement, FailedLinksKeepThePreviousPositionAndSayWhy) {
  Scene* scene = loaded_scene(
      {{"target", 0}, {"lost", 1}, {"vertical", 1}, {"horizontal", 1}, {"polar", 1}},
      probe("target", kTarget, kTargetSize) + probe("lost", link("nobody", "top", "left")) +
          probe("vertical", link("target", "middle", "left")) +
          probe("horizontal", link("target", "top", "middle")) +
          probe("polar", "\t\t\tcoord_type polar\n"));
  ASSERT_TRUE(scene->draw());
  struct Case {
    const char* name;
    const char* error;
    float x, y;
  } cases[] = {{"lost", "Unable to fine object:\"nobody\"", 0.7f, 0.8f},
               {"vertical", "Unknown v_align kind: \"middle\"", 0.7f, 0.8f},
               {"horizontal", "Unknown h_align kind: \"middle\"", 0.7f, 1.0f},
               {"polar", "Unknown coord kind: polar", 0.7f, 0.8f}};
  for (const Case& c : cases) {
    SceneObject* object = scene->get_object(c.name);
    object->_set_x(0.7f);
    object->_set_y(0.8f);
    EXPECT_FALSE(object->calculate_position()) << c.name;
    EXPECT_EQ(object->_get_error(), c.error);
    EXPECT_NEAR(object->_get_x(), c.x, 1e-6) << c.name;
    EXPECT_NEAR(object->_get_y(), c.y, 1e-6) << c.name;
  }
}

TEST_F(Placement, SelfAndCircularLinksFinish) {
  Scene* scene = loaded_scene({{"self", 0}, {"ping", 0}, {"pong", 0}},
                              probe("self", link("self", "top", "right", "1", "1")) +
                                  probe("ping", link("pong", "base_point", "center")) +
                                  probe("pong", link("ping", "top", "base_point")));
  for (int frame = 0; frame < 50; ++frame) ASSERT_TRUE(scene->draw());
  for (const char* name : {"self", "ping", "pong"}) {
    EXPECT_TRUE(std::isfinite(scene->get_object(name)->_get_x())) << name;
    EXPECT_TRUE(std::isfinite(scene->get_object(name)->_get_y())) << name;
  }
}

TEST_F(Placement, HitTestsCountEdgesAndOnlyOpaquePixelsWhenAsked) {
  Scene* scene = loaded_scene(
      {{"box", 0}, {"shaped", 0}},
      probe("box", kTarget, kTargetSize) +
          probe("shaped", "\t\t\tabsolute_x -0.5\n\t\t\tabsolute_y -0.5\n\t\t\trequire_alpha_collision true\n",
                std::string(kTargetSize) + "\t\t\ttransparent_corners true\n"));
  ASSERT_TRUE(scene->draw());
  SceneObject* box = scene->get_object("box");
  EXPECT_TRUE(box->_is_point_in_object(0.5f, 0.5f));
  EXPECT_TRUE(box->_is_point_in_object(0.25f, 1.0f));
  EXPECT_FALSE(box->_is_point_in_object(0.51f, 0.7f));
  EXPECT_FALSE(box->_is_point_in_object(0.3f, 0.49f));
  EXPECT_FALSE(box->_is_point_in_object(std::numeric_limits<float>::quiet_NaN(), 0.7f));

  // shaped covers x -0.5..-0.25, y -0.5..0; its 25 x 37 pixel corners are transparent.
  SceneObject* shaped = scene->get_object("shaped");
  EXPECT_TRUE(shaped->_is_point_in_object(-0.375f, -0.25f));
  EXPECT_FALSE(shaped->_is_point_in_object(-0.499f, -0.499f));
  EXPECT_FALSE(shaped->_is_point_in_object(-0.25f, 0.0f));
  EXPECT_TRUE(shaped->_is_point_in_object(-0.375f, 0.0f));
  EXPECT_TRUE(shaped->_is_point_in_object(-0.25f, -0.25f));
  shaped->_set_require_alpha_collision(false);
  EXPECT_TRUE(shaped->_is_point_in_object(-0.499f, -0.499f));
  shaped->_set_require_alpha_collision(true);

  // Without the surface behind the sprite the alpha test cannot hit.
  ASSERT_TRUE(video()->_remove_surface("shaped", scene->get_name()));
  EXPECT_FALSE(shaped->_is_point_in_object(-0.375f, -0.25f));
}

TEST_F(Placement, PressesReachTheTopmostShownObjectAndMovesTrackTheHover) {
  Scene* scene = loaded_scene(
      {{"under", 0}, {"first", 1}, {"second", 1}, {"hidden", 5}},
      probe("under", "\t\t\tabsolute_x -0.5\n\t\t\tabsolute_y -0.5\n", "\t\t\twidth 800\n\t\t\theight 600\n") +
          probe("first", "\t\t\tabsolute_x 0\n") + probe("second", "\t\t\tabsolute_x 0\n") +
          probe("hidden", "\t\t\tabsolute_x -0.5\n\t\t\tshow false\n"));
  ASSERT_TRUE(scene->draw());
  scene->slot__on_activate(nullptr);

  SlotArgs press = pointer_args(0.1f, 0.1f);
  EXPECT_TRUE(scene->slot__on_mouse_press(&press));
  EXPECT_EQ(scene->get_focus(), scene->get_object("second"));
  press = pointer_args(-0.4f, 0.1f);
  EXPECT_TRUE(scene->slot__on_mouse_press(&press));
  EXPECT_EQ(scene->get_focus(), scene->get_object("under"));
  press = pointer_args(-0.9f, -0.9f);
  EXPECT_TRUE(scene->slot__on_mouse_press(&press));
  EXPECT_EQ(scene->get_focus(), scene->get_object("under"));

  SlotArgs short_args;
  short_args.float_params = {0.1f};
  EXPECT_FALSE(scene->slot__on_mouse_press(&short_args));
  EXPECT_FALSE(scene->slot__on_mouse_move(&short_args));
  EXPECT_FALSE(scene->slot__on_mouse_press(nullptr));

  take_log();
  SlotArgs move = pointer_args(0.1f, 0.1f);
  scene->slot__on_mouse_move(&move);
  scene->slot__on_mouse_move(&move);
  EXPECT_EQ(scene->get_hover(), scene->get_object("second"));
  move = pointer_args(-0.4f, 0.1f);
  scene->slot__on_mouse_move(&move);
  EXPECT_EQ(take_log(), (std::vector<std::string>{"second:enter", "second:leave", "under:enter"}));
  // Straight from a lower object onto a higher one: the lower one is left first.
  move = pointer_args(0.1f, 0.1f);
  scene->slot__on_mouse_move(&move);
  EXPECT_EQ(take_log(), (std::vector<std::string>{"under:leave", "second:enter"}));
  move = pointer_args(-0.4f, 0.1f);
  scene->slot__on_mouse_move(&move);
  take_log();

  // Leaving the scene takes the pointer off its hover object; back again, the next move finds it.
  scene->slot__on_deactivate(nullptr);
  EXPECT_EQ(take_log(), std::vector<std::string>{"under:leave"});
  EXPECT_EQ(scene->get_hover(), nullptr);
  scene->slot__on_activate(nullptr);
  scene->slot__on_mouse_move(&move);
  EXPECT_EQ(take_log(), std::vector<std::string>{"under:enter"});

  // Removing the hover and focus object leaves neither pointing at it.
  SceneObject* under = scene->get_object("under");
  ASSERT_TRUE(scene->remove_object("under"));
  EXPECT_EQ(scene->get_hover(), nullptr);
  EXPECT_EQ(scene->get_focus(), nullptr);
  delete under;
}

}  // namespace
