// Text edits typed into through real keys, with their text and cursor checked on the screen,
// numeric fields, the frame-rate counter and check boxes clicked with the real pointer.

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

// A field of style TextField (a 240 x 56 picture, 8 pixels of padding, a steady 3 pixel cursor)
// at the window's centre, with 32 pixel text whose base point is the inner rectangle's lower
// left corner. DejaVu Sans at 32 px: 30 rows above the baseline, 8 below.
std::string cursor_field(const std::string& style, const std::string& keys = "max_length 40\n") {
  return one_object("name", "type TextEdit\n[BaseUIObject]\nstyle " + style + "\n[/]\n[TextEdit]\n"
                            "renderer_type ttf\nfont Font0\nfont_size 32\nx_base 0\ny_base 0\n" +
                            keys + "[/]\n");
}
// Its inner rectangle in window pixels from the top left corner, right and bottom exclusive.
constexpr int kInnerLeft = 200 - 120 + 8, kInnerRight = 200 + 120 - 8;
constexpr int kInnerTop = 150 - 28 + 8, kInnerBottom = 150 + 28 - 8;
// A row through the middle of an "o" standing on the baseline, 8 rows above the bottom.
constexpr int kMiddleOfO = kInnerBottom - 8 - 11;

bool bright(const Rgb& p) { return p.r > 200 && p.g > 200 && p.b > 200; }

// Where the bright pixels of a frame lie (right and bottom inclusive).
struct Ink {
  int count = 0, left = kWidth, right = -1, top = kHeight, bottom = -1;
};

Ink ink_of(const std::vector<Rgb>& frame) {
  Ink ink;
  for (int py = 0; py < kHeight; ++py)
    for (int px = 0; px < kWidth; ++px)
      if (bright(frame[py * kWidth + px])) {
        ++ink.count;
        ink.left = std::min(ink.left, px);
        ink.right = std::max(ink.right, px);
        ink.top = std::min(ink.top, py);
        ink.bottom = std::max(ink.bottom, py);
      }
  return ink;
}

// The columns of the cursor: bright over nearly the whole line, which no "o" is.
std::vector<int> cursor_columns(const std::vector<Rgb>& frame) {
  std::vector<int> columns;
  for (int px = kInnerLeft - 2; px < kInnerRight + 2; ++px) {
    int lit = 0;
    for (int py = kInnerTop; py < kInnerBottom; ++py) lit += bright(frame[py * kWidth + px]);
    if (lit >= 34) columns.push_back(px);
  }
  return columns;
}

// How many separate runs of bright pixels the row holds between the columns [from, to).
int runs(const std::vector<Rgb>& frame, int row, int from, int to) {
  int count = 0;
  bool inside = false;
  for (int px = std::max(from, 0); px < std::min(to, kWidth); ++px) {
    const bool lit = bright(frame[row * kWidth + px]);
    if (lit && !inside) ++count;
    inside = lit;
  }
  return count;
}

using TextEdits = UiTest;
using CursorFields = UiTest;
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
  for (int64_t key : {65, int{VKEY_DEL}, int{VKEY_LEFT}, int{VKEY_HOME}}) EXPECT_TRUE(any->_on_key_press_handler(key));
  EXPECT_EQ(any->_get_text().size(), 300u) << "without a cursor only backspace deletes";
  EXPECT_EQ(any->_get_cursor(), 300u) << "and the insertion point stays at the end";
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

// Copies bound slots of their own but kept the original's slot map, so registering a copy
// would deliver to the original.
template <typename T>
void expect_copy_maps_its_own_slots(SceneObject* original) {
  T copy(*dynamic_cast<T*>(original));
  T assigned;
  assigned = copy;
  const SceneObject::SlotMap theirs = original->_get__slot_map_();
  for (SceneObject* made : {static_cast<SceneObject*>(&copy), static_cast<SceneObject*>(&assigned)}) {
    const SceneObject::SlotMap ours = made->_get__slot_map_();
    ASSERT_EQ(ours.size(), theirs.size());
    for (std::size_t i = 0; i < ours.size(); ++i) {
      EXPECT_EQ(ours[i].first, theirs[i].first);
      EXPECT_NE(ours[i].second, theirs[i].second) << ours[i].first;
    }
  }
}

TEST_F(Numerics, CopiesMapTheirOwnSlots) {
  Scene* scene = load_scene("copied", one_object("n", "type Numeric\n"));
  expect_copy_maps_its_own_slots<Numeric>(scene->get_object("n"));
  Scene* rates = load_scene("copiedrates", one_object("fps", "type FPSCounter\n"));
  expect_copy_maps_its_own_slots<FPSCounter>(rates->get_object("fps"));
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

TEST_F(Checkboxes, AClickOnTheLabelTogglesTheBox) {
  Scene* scene = load_scene(
      "labelled",
      "[Scene]\n[Objects]\n[Object0]\nname caption\nz_level 1\n[/]\n"
      "[Object1]\nname box\nz_level 2\n[/]\n[/]\n[/]\n[Objects]\n"
      "[box]\ntype Checkbox\n[SceneObject]\nabsolute_x -0.5\n[/]\n[Checkbox]\n"
      "base_image_file tests/data/ui/box.png\nhover_image_file tests/data/ui/box_hover.png\n"
      "checked_image_file tests/data/ui/mark.png\nlabel caption\n[/]\n[/]\n"
      "[caption]\ntype Text\n[SceneObject]\ncoord_type link\nlink_object box\n"
      "link_h_align right\nlink_h_offset 0.5\n[/]\n[Text]\ntext A long label\n"
      "renderer_type ttf\nfont Font0\nfont_size 24\nx_base 0\n[/]\n[/]\n[/]\n");
  auto* box = dynamic_cast<Checkbox*>(scene->get_object("box"));
  EXPECT_EQ(box->_get_label(), "caption");
  SignalCatcher toggled("labelled->box->toggled");
  // The label follows the box, which is drawn after it: its place is right from the second frame.
  cycles(scene, 2);
  VideoRect area;
  scene->get_object("caption")->_get_active_area_rect(&area);
  ASSERT_GT(area.x2 - area.x1, 0.3) << "the label is drawn right of the box";
  const float label_x = static_cast<float>(area.x1 + area.x2) / 2;
  const float label_y = static_cast<float>(area.y1 + area.y2) / 2;

  move_to(label_x, label_y);
  ASSERT_TRUE(cycle_until(scene, [&] { return box->_get_is_hover(); })) << "the label hovers the box";
  click_at(label_x, label_y);
  ASSERT_TRUE(cycle_until(scene, [&] { return toggled.packs.size() == 1; }));
  EXPECT_TRUE(box->_get_checked());
  click_at(static_cast<float>(area.x2) - 0.01f, label_y);
  ASSERT_TRUE(cycle_until(scene, [&] { return toggled.packs.size() == 2; }));
  EXPECT_FALSE(box->_get_checked());

  click_at(static_cast<float>(area.x2) + 0.05f, label_y);  // beside the label
  cycles(scene, 10);
  EXPECT_EQ(toggled.packs.size(), 2u);
  EXPECT_FALSE(box->_get_is_hover());
}

TEST_F(Checkboxes, WithoutKeysTheDefaultsHoldAndTheBoxHasNoPicture) {
  EXPECT_FALSE(try_load_scene("nokeys", one_object("box", "type Checkbox\n")))
      << "a box needs its picture";
}

TEST_F(CursorFields, TheTextStaysInsideTheInnerRectangleShortOrLong) {
  Scene* scene = load_scene("inner", cursor_field("TextField"));
  auto* field = dynamic_cast<TextEdit*>(scene->get_object("name"));
  ASSERT_EQ(field->_get_padding(), 8);
  for (const char* text : {"Jo", "WWWWWWWWWWWWWWWW", "Jj_|gjpqy,jjjjjjjjjjjjjjjjjjjjjjjjjj"}) {
    SCOPED_TRACE(text);
    field->_set_text(codes(text));
    show(scene);
    const Ink ink = ink_of(frame());
    EXPECT_GT(ink.count, 30);
    EXPECT_GE(ink.left, kInnerLeft);
    EXPECT_LT(ink.right, kInnerRight);
    EXPECT_GE(ink.top, kInnerTop);
    EXPECT_LT(ink.bottom, kInnerBottom);
  }
  EXPECT_GT(field->_get_scroll(), 0);
  // The end of a long text stays in view, right before the room the cursor takes.
  field->_set_text(codes("WWWWWWWWWWWWWWWW"));
  show(scene);
  EXPECT_GT(ink_of(frame()).right, kInnerRight - 8);
  // Shortened again, it starts at the left once more.
  field->_set_text(codes("W"));
  show(scene);
  EXPECT_EQ(field->_get_scroll(), 0);
  EXPECT_LT(ink_of(frame()).left, kInnerLeft + 4);
}

TEST_F(CursorFields, AnAccentDoesNotMoveTheLine) {
  Scene* scene = load_scene("accent", cursor_field("TextField"));
  auto* field = dynamic_cast<TextEdit*>(scene->get_object("name"));
  field->_set_text(codes("Jan"));
  show(scene);
  const std::vector<Rgb> plain = frame();
  field->_set_text({'J', 'a', 'n', 0xE9});  // é
  show(scene);
  const std::vector<Rgb> accented = frame();
  // "Ja" is drawn at the same pixels either way.
  for (int py = 0; py < kHeight; ++py)
    for (int px = kInnerLeft; px < kInnerLeft + 30; ++px)
      ASSERT_EQ(bright(accented[py * kWidth + px]), bright(plain[py * kWidth + px])) << px << "," << py;
  EXPECT_GT(ink_of(accented).count, ink_of(plain).count);
}

TEST_F(CursorFields, TheCursorStandsAtTheInsertionPointAfterMovesAndDeletions) {
  Scene* scene = load_scene("cursor", cursor_field("TextField"));
  auto* field = dynamic_cast<TextEdit*>(scene->get_object("name"));
  auto expect_cursor = [&](std::size_t before, std::size_t after) {
    show(scene);
    const std::vector<Rgb> shown = frame();
    const std::vector<int> bar = cursor_columns(shown);
    ASSERT_FALSE(bar.empty()) << "no cursor";
    EXPECT_LE(bar.back() - bar.front(), 3) << "one bar";
    EXPECT_GE(bar.front(), kInnerLeft);
    // The row crosses both sides of every "o".
    EXPECT_EQ(runs(shown, kMiddleOfO, kInnerLeft - 2, bar.front()), 2 * static_cast<int>(before));
    EXPECT_EQ(runs(shown, kMiddleOfO, bar.back() + 1, kInnerRight + 2), 2 * static_cast<int>(after));
  };
  show(scene);
  EXPECT_TRUE(cursor_columns(frame()).empty()) << "no cursor before the field takes keys";

  click_at(0, 0);
  ASSERT_TRUE(cycle_until(scene, [&] { return field->_get_active(); }));
  expect_cursor(0, 0);
  // Each step: typed text or a key, then the text's length and the cursor's place after it.
  struct Step {
    const char* typed;
    const char* key;
    std::size_t length, cursor;
  };
  for (const Step& step : {Step{"oooo", nullptr, 4, 4}, Step{nullptr, "Left", 4, 3},
                           Step{nullptr, "Left", 4, 2}, Step{nullptr, "Delete", 3, 2},
                           Step{nullptr, "BackSpace", 2, 1}, Step{nullptr, "Home", 2, 0},
                           Step{"o", nullptr, 3, 1}, Step{nullptr, "End", 3, 3}}) {
    SCOPED_TRACE(step.typed ? step.typed : step.key);
    if (step.typed) type(step.typed);
    if (step.key) key(step.key);
    ASSERT_TRUE(cycle_until(scene, [&] {
      return field->_get_text().size() == step.length && field->_get_cursor() == step.cursor;
    }));
    expect_cursor(step.cursor, step.length - step.cursor);
  }
  key("Right");  // already at the end
  key("Delete");
  cycles(scene, 10);
  EXPECT_EQ(field->_get_text().size(), 3u);

  click_at(-0.9f, -0.9f);
  ASSERT_TRUE(cycle_until(scene, [&] { return !field->_get_active(); }));
  show(scene);
  EXPECT_TRUE(cursor_columns(frame()).empty()) << "no cursor once the input ended";
}

TEST_F(CursorFields, EditingHappensAtTheInsertionPoint) {
  Scene* scene = load_scene("editing", cursor_field("TextField", "max_length 6\n"));
  auto* field = dynamic_cast<TextEdit*>(scene->get_object("name"));
  field->_set_text(codes("abc"));
  EXPECT_EQ(field->_get_cursor(), 3u);
  field->_on_key_press_handler(VKEY_LEFT);
  field->_on_key_press_handler(VKEY_LEFT);
  field->_on_character_handler('x');
  EXPECT_EQ(field->_get_text_utf8(), "axbc");
  field->_on_key_press_handler(VKEY_DEL);
  EXPECT_EQ(field->_get_text_utf8(), "axc");
  field->_on_key_press_handler(VKEY_BACKSPACE);
  EXPECT_EQ(field->_get_text_utf8(), "ac");
  EXPECT_EQ(field->_get_cursor(), 1u);
  field->_on_key_press_handler(VKEY_HOME);
  field->_on_key_press_handler(VKEY_BACKSPACE);  // nothing before the start
  field->_on_key_press_handler(VKEY_LEFT);
  EXPECT_EQ(field->_get_text_utf8(), "ac");
  EXPECT_EQ(field->_get_cursor(), 0u);
  for (char c : std::string("12345")) field->_on_character_handler(c);
  EXPECT_EQ(field->_get_text_utf8(), "1234ac") << "the limit holds wherever the cursor is";
  field->_on_key_press_handler(VKEY_END);
  field->_on_key_press_handler(VKEY_RIGHT);
  EXPECT_EQ(field->_get_cursor(), 6u);
}

TEST_F(CursorFields, TheCursorBlinksWithoutTheTextBeingRenderedAgain) {
  static double now = 100;
  auto* const steady_clock = TextEdit::clock;
  TextEdit::clock = [] { return now; };
  Scene* scene = load_scene("blink", cursor_field("BlinkField"));
  auto* field = dynamic_cast<TextEdit*>(scene->get_object("name"));
  field->_set_text(codes("oo"));
  field->_on_activate_handler();
  show(scene);
  EXPECT_FALSE(cursor_columns(frame()).empty()) << "shown at first";
  const int renders = field->_get_render_count();
  now = 100.6;
  show(scene);
  EXPECT_TRUE(cursor_columns(frame()).empty()) << "hidden in the second half second";
  now = 101.1;
  show(scene);
  EXPECT_FALSE(cursor_columns(frame()).empty()) << "shown again";
  for (int frame_index = 0; frame_index < 20; ++frame_index) {
    now += 0.1;
    cycle(scene);
  }
  EXPECT_EQ(field->_get_render_count(), renders) << "blinking renders no text";

  now = 103.7;  // a hidden phase; a key shows the cursor at once
  field->_on_key_press_handler(VKEY_LEFT);
  show(scene);
  EXPECT_FALSE(cursor_columns(frame()).empty());
  EXPECT_EQ(field->_get_render_count(), renders) << "moving the cursor in a short text renders nothing";
  field->_on_character_handler('o');
  show(scene);  // a frame ended: nothing of this scene stays queued for the next test
  EXPECT_EQ(field->_get_render_count(), renders + 1);
  TextEdit::clock = steady_clock;
}

TEST_F(CursorFields, AFieldThatTakesNoInputCutsItsTextAtTheViewWidth) {
  Scene* scene = load_scene(
      "cut", one_object("label", "type TextEdit\n[TextEdit]\nrenderer_type ttf\nfont Font0\n"
                                   "font_size 32\nx_base 0\ny_base 0\nmax_length 0\n"
                                   "view_width 100\n[/]\n"));
  auto* label = dynamic_cast<TextEdit*>(scene->get_object("label"));
  label->_set_text(codes("WWWWWWWWWW"));
  show(scene);
  const Ink ink = ink_of(frame());
  // Its base point (0, 0) stands at the window's centre: the text runs from column 200 on.
  EXPECT_GE(ink.left, 200);
  EXPECT_LE(ink.left, 202) << "the start of the text is shown";
  EXPECT_LT(ink.right, 300);
  EXPECT_GT(ink.right, 290);
  EXPECT_EQ(label->_get_scroll(), 0);
}

TEST_F(CursorFields, AnEllipsisEndsATextTooWideForAFieldWithoutInput) {
  const std::string label_keys = "type TextEdit\n[TextEdit]\nrenderer_type ttf\nfont Font0\n"
                                 "font_size 32\nx_base 0\ny_base 0\nmax_length 0\nview_width 100\n";
  Scene* plain = load_scene("wwellipsis", one_object("label", label_keys + "[/]\n"));
  std::vector<int32_t> two_and_ellipsis = codes("WW");
  two_and_ellipsis.push_back(0x2026);
  dynamic_cast<TextEdit*>(plain->get_object("label"))->_set_text(two_and_ellipsis);
  show(plain);
  const Ink expected = ink_of(frame());
  Scene* shortened = load_scene("tenw", one_object("label", label_keys + "ellipsis \u2026\n[/]\n"));
  dynamic_cast<TextEdit*>(shortened->get_object("label"))->_set_text(codes("WWWWWWWWWW"));
  show(shortened);
  const Ink ink = ink_of(frame());
  EXPECT_EQ(ink.left, expected.left);
  EXPECT_EQ(ink.right, expected.right) << "ten W in 100 pixels at size 32 show as two and the ellipsis";
}

TEST_F(FrameRates, TheLastSecondCountsOnlyTheFramesSinceTheSceneCameBack) {
  static double now = 100;
  double (*const steady)() = FPSCounter::steady_clock;
  FPSCounter::steady_clock = [] { return now; };
  Scene* scene = load_scene("lastsecond", one_object("fps", "type FPSCounter\n[FPSCounter]\n"
                                                            "last_second true\n[/]\n"));
  auto* counter = dynamic_cast<FPSCounter*>(scene->get_object("fps"));
  for (int i = 0; i <= 60; ++i, now = 100 + i / 60.0) counter->draw();
  EXPECT_EQ(counter->_get_text(), " 60");
  now = 110;  // away ten seconds, a burst of frames just before leaving
  for (int i = 0; i < 200; ++i) counter->draw();
  scene->reinit();
  now = 111;
  for (int i = 0; i <= 30; ++i, now = 111 + i / 30.0) counter->draw();
  EXPECT_EQ(counter->_get_text(), " 30") << "only the frames of the last second count";
  FPSCounter::steady_clock = steady;
}
