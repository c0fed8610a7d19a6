// Text edits typed into through real keys, numeric fields, the frame-rate counter and check
// boxes clicked with the real pointer.

#include "panolet/checkbox.h"
#include "panolet/fpscounter.h"
#include "panolet/numeric.h"
#include "panolet/textedit.h"
#include "panolet/ui.h"
#include "ui_fixture.h"

using namespace ui_test;

namespace {

const Rgb kWhite{255, 255, 255}, kRed{255, 0, 0}, kBlue{0, 0, 255}, kCyan{0, 255, 255},
    kYellow{255, 255, 0};

std::string one_object(const std::string& name, const std::string& body,
                       const std::string& place = "") {
  return "[Scene]\n[Objects]\n[Object0]\nname " + name + "\nz_level 1\n[/]\n[/]\n[/]\n"
         "[Objects]\n[" + name + "]\n" + place + body + "[/]\n[/]\n";
}

std::string text_edit(const std::string& keys) {
  return "type TextEdit\n[BaseUIObject]\nstyle Backdrop\n[/]\n[TextEdit]\nrenderer_type ttf\n"
         "font Font0\nfont_size 24\nx_base 0\ny_base 0\n" + keys + "[/]\n";
}

std::vector<int32_t> codes(const std::string& text) { return {text.begin(), text.end()}; }

using TextEdits = UiTest;
using Numerics = UiTest;
using FrameRates = UiTest;
using Checkboxes = UiTest;

}  // namespace

TEST_F(TextEdits, RealTypingBackspaceAndTheLengthLimit) {
  Scene* scene = load_scene("typing", one_object("name", text_edit("max_length 5\n")));
  auto* field = dynamic_cast<TextEdit*>(scene->get_object("name"));
  show(scene);
  type("ab");
  cycles(scene, 10);
  EXPECT_TRUE(field->_get_text().empty()) << "keys go nowhere before the field is clicked";

  click_at(0, 0);
  ASSERT_TRUE(cycle_until(scene, [&] { return field->_get_active(); }));
  type("abcdefg");
  ASSERT_TRUE(cycle_until(scene, [&] { return field->_get_text().size() == 5; }));
  cycles(scene, 10);
  EXPECT_EQ(field->_get_text(), codes("abcde")) << "the sixth character is dropped";
  key("BackSpace");
  ASSERT_TRUE(cycle_until(scene, [&] { return field->_get_text().size() == 4; }));
  EXPECT_EQ(field->_get_text_utf8(), "abcd");
  show(scene);
  // The text starts at the field's lower left corner (the 100 x 100 backdrop's, at -0.25, -1/3).
  EXPECT_GT(count_colour(-0.25f, -0.34f, 0.25f, -0.1f, kWhite, 60), 50) << "the text is drawn";

  click_at(-0.8f, -0.8f);  // clicking elsewhere ends the input
  cycles(scene, 5);
  EXPECT_FALSE(field->_get_active());
}

TEST_F(TextEdits, KeysAndLimitsWithoutTheKeyboard) {
  Scene* scene = load_scene("limits", one_object("none", text_edit("")));
  auto* closed = dynamic_cast<TextEdit*>(scene->get_object("none"));
  EXPECT_TRUE(closed->_on_character_handler('a'));
  EXPECT_TRUE(closed->_get_text().empty()) << "max_length 0 accepts nothing";

  Scene* open = load_scene("unlimited", one_object("any", text_edit("max_length -1\n")));
  auto* any = dynamic_cast<TextEdit*>(open->get_object("any"));
  for (int i = 0; i < 300; ++i) any->_on_character_handler('x');
  EXPECT_EQ(any->_get_text().size(), 300u) << "-1 compared without sign";
  EXPECT_TRUE(any->_on_key_press_handler(65));
  EXPECT_EQ(any->_get_text().size(), 300u) << "only backspace deletes";
  SlotArgs no_integer;
  EXPECT_TRUE(any->slot__on_character(&no_integer)) << "a pack without a code is dropped";
  any->_set_text({});
  EXPECT_TRUE(any->_on_key_press_handler(295));
  EXPECT_TRUE(any->_get_text().empty());
}

TEST_F(TextEdits, MaskingColourAndTheEmptyField) {
  // The same three asterisks, once typed as letters under a mask and once typed plainly.
  Scene* scene = load_scene(
      "masks", "[Scene]\n[Objects]\n[Object0]\nname masked\n[/]\n[Object1]\nname plain\n[/]\n"
               "[Object2]\nname letters\n[/]\n[/]\n[/]\n[Objects]\n"
               "[masked]\n[SceneObject]\nabsolute_x -0.6\nabsolute_y 0.5\n[/]\n" +
                   text_edit("max_length 9\nreplace_text *\ncolor 0xff0000ff\n") +
                   "[/]\n[plain]\n[SceneObject]\nabsolute_x -0.6\nabsolute_y -0.5\n[/]\n" +
                   text_edit("max_length 9\ncolor 0xff0000ff\n") +
                   "[/]\n[letters]\n[SceneObject]\nabsolute_x 0.4\nabsolute_y -0.5\n[/]\n" +
                   text_edit("max_length 9\ncolor 0xff0000ff\n") + "[/]\n[/]\n");
  auto* masked = dynamic_cast<TextEdit*>(scene->get_object("masked"));
  auto* plain = dynamic_cast<TextEdit*>(scene->get_object("plain"));
  auto* letters = dynamic_cast<TextEdit*>(scene->get_object("letters"));
  masked->_set_text(codes("abc"));
  plain->_set_text(codes("***"));
  letters->_set_text(codes("abc"));
  show(scene);
  const int masked_red = count_colour(-1, 0, 0, 1, kRed, 60);
  const int plain_red = count_colour(-1, -1, 0, 0, kRed, 60);
  const int letters_red = count_colour(0, -1, 1, 0, kRed, 60);
  EXPECT_GT(masked_red, 5) << "0xff0000ff is red";
  EXPECT_EQ(masked_red, plain_red) << "three letters under the mask draw as three asterisks";
  EXPECT_NE(masked_red, letters_red);
  EXPECT_EQ(masked->_get_replacer(), '*');

  masked->_set_text({});
  show(scene);
  EXPECT_EQ(count_colour(-1, 0, 0, 1, kRed, 60), 0) << "an empty field draws no text";
}

TEST_F(TextEdits, AMissingRendererIsReportedOnEveryDraw) {
  Scene* scene = load_scene("norenderer", one_object("name", "type TextEdit\n[TextEdit]\n"
                                                             "max_length 3\n[/]\n"));
  auto* field = dynamic_cast<TextEdit*>(scene->get_object("name"));
  field->_on_character_handler('a');
  field->draw();
  EXPECT_EQ(field->_get_error().rfind("Can't get renderer:", 0), 0u) << field->_get_error();
  field->_set_error("");
  field->draw();
  EXPECT_FALSE(field->_get_error().empty());
}

TEST_F(TextEdits, ASettingCarriesTheTextToAFieldOfAnotherScene) {
  Scene* first = load_scene("entry", one_object("name", text_edit("max_length 8\nsetting Who\n")));
  dynamic_cast<TextEdit*>(first->get_object("name"))->_on_character_handler(0x00e9);  // é
  Scene* second = load_scene("shown", one_object("label", text_edit("setting Who\n")));
  EXPECT_EQ(dynamic_cast<TextEdit*>(second->get_object("label"))->_get_text_utf8(), "\xc3\xa9");
}

TEST_F(Numerics, ZeroPaddingCutToTheLengthAndOneRenderPerChange) {
  Scene* scene = load_scene("numbers", one_object("n", "type Numeric\n[BaseUIObject]\nstyle Digits\n"
                                                       "[/]\n[Numeric]\nvalue_length 3\n"
                                                       "start_value 7\n[/]\n"));
  auto* number = dynamic_cast<Numeric*>(scene->get_object("n"));
  show(scene);
  EXPECT_EQ(number->_get_text(), "007");
  EXPECT_GT(count_colour(-0.3f, -0.2f, 0.3f, 0.2f, kWhite, 60), 30);
  number->set_value_handler(-5);
  number->draw();
  EXPECT_EQ(number->_get_text(), "-05");
  number->set_value_handler(1234);
  number->draw();
  EXPECT_EQ(number->_get_text(), "123");

  const int renders = number->_get_render_count();
  connect("test->tick", "numbers->n->increment_value");
  for (int i = 0; i < 10; ++i) rise_signal("test->tick", nullptr);
  number->draw();
  number->draw();
  EXPECT_EQ(number->_get_value(), 1244);
  EXPECT_EQ(number->_get_render_count(), renders + 1);

  SlotArgs empty;
  EXPECT_TRUE(number->slot_set_value(&empty));
  EXPECT_EQ(number->_get_value(), 1244);
  SlotArgs three{{3}, {}, {}};
  EXPECT_FALSE(number->slot_add_value(&three)) << "the signal goes on to further slots";
  EXPECT_FALSE(number->slot_sub_value(&three));
  EXPECT_EQ(number->_get_value(), 1244);
}

TEST_F(Numerics, AMissingRendererNamesTheEmptyType) {
  Scene* scene = load_scene("plainnumber", one_object("n", "type Numeric\n"));
  auto* number = dynamic_cast<Numeric*>(scene->get_object("n"));
  number->draw();
  EXPECT_EQ(number->_get_error().rfind("Can't get renderer of type \"\" :", 0), 0u);
  EXPECT_TRUE(number->_get_is_value_changed()) << "the next draw tries again";
}

TEST_F(FrameRates, TheRateOfAKnownWindowOfFrames) {
  static uint32_t now = 0;
  FPSCounter::clock = [] { return now; };
  Scene* scene = load_scene("rates", one_object("fps", "type FPSCounter\n[BaseUIObject]\n"
                                                       "style Digits\n[/]\n"));
  auto* counter = dynamic_cast<FPSCounter*>(scene->get_object("fps"));
  now = 1000;
  scene->draw();  // the first draw starts the measurement
  for (int i = 0; i < 118; ++i) scene->draw();  // with the next one, 120 cycles
  now = 1002;
  scene->draw();
  EXPECT_EQ(counter->_get_text(), " 60.0");
  now = 1003;
  scene->draw();
  EXPECT_EQ(counter->_get_text(), " 60.0") << "one second later nothing new is measured";

  now = 1006;
  counter->_set_current_frame(0);
  counter->draw();  // no new-cycle signal in between
  EXPECT_EQ(counter->_get_text(), " 0.0");
  FPSCounter::clock = [] { return static_cast<uint32_t>(time(nullptr)); };
}

TEST_F(FrameRates, ASettingShowsAndHidesTheCounterWhenItsSceneComesBack) {
  ui_set_setting("Rate", "0");
  Scene* scene = load_scene("ratesetting", one_object("fps", "type FPSCounter\n[FPSCounter]\n"
                                                             "show_setting Rate\n[/]\n"));
  SceneObject* counter = scene->get_object("fps");
  EXPECT_FALSE(counter->_get_show());
  ui_set_setting("Rate", "1");
  scene->reinit();
  EXPECT_TRUE(counter->_get_show());
}

TEST_F(Checkboxes, ClicksToggleTheBoxItsPictureAndItsSignal) {
  ui_set_setting("Ticked", "0");
  Scene* scene = load_scene(
      "boxes", one_object("box", "type Checkbox\n[Checkbox]\n"
                                 "base_image_file tests/data/ui/box.png\n"
                                 "hover_image_file tests/data/ui/box_hover.png\n"
                                 "checked_image_file tests/data/ui/mark.png\n"
                                 "setting Ticked\n[/]\n"));
  auto* box = dynamic_cast<Checkbox*>(scene->get_object("box"));
  SignalCatcher toggled("boxes->box->toggled");
  show(scene);
  EXPECT_GT(count_colour(-0.1f, -0.1f, 0.1f, 0.1f, kBlue, 30), 200);

  move_to(0.02f, 0.02f);
  ASSERT_TRUE(cycle_until(scene, [&] { return box->_get_is_hover(); }));
  show(scene);
  EXPECT_GT(count_colour(-0.1f, -0.1f, 0.1f, 0.1f, kCyan, 30), 200) << "the hover picture";

  click_at(0.02f, 0.02f);
  ASSERT_TRUE(cycle_until(scene, [&] { return toggled.packs.size() == 1; }));
  EXPECT_EQ(toggled.packs[0].int_params, std::vector<int64_t>{1});
  EXPECT_TRUE(box->_get_checked());
  EXPECT_EQ(ui_get_setting("Ticked", ""), "1");
  show(scene);
  EXPECT_GT(count_colour(-0.1f, -0.1f, 0.1f, 0.1f, kYellow, 30), 10) << "the check mark";

  click_at(0.02f, 0.02f);
  ASSERT_TRUE(cycle_until(scene, [&] { return toggled.packs.size() == 2; }));
  EXPECT_EQ(toggled.packs[1].int_params, std::vector<int64_t>{0});
  EXPECT_EQ(ui_get_setting("Ticked", ""), "0");

  // Pressed on the box, released beside it: no toggle.
  press_at(0.02f, 0.02f);
  cycles(scene, 5);
  move_to(0.6f, 0.6f);
  release();
  cycles(scene, 10);
  EXPECT_EQ(toggled.packs.size(), 2u);
  SlotArgs three_floats{{1}, {0, 0, 0}, {}};
  EXPECT_TRUE(box->slot__on_mouse_release(&three_floats));
  EXPECT_EQ(toggled.packs.size(), 2u);
}

TEST_F(Checkboxes, WithoutKeysTheDefaultsHoldAndTheBoxHasNoPicture) {
  EXPECT_FALSE(try_load_scene("nokeys", one_object("box", "type Checkbox\n")))
      << "a box needs its picture";
}
