// Style sets and what every widget takes from them, seen through numeric fields (which read
// their look from the style but draw nothing at load).

#include "carrow/config.h"
#include "panolet/numeric.h"
#include "panolet/ui.h"
#include "ui_fixture.h"

using namespace ui_test;

namespace {

std::string numeric_scene(const std::string& object_keys) {
  return "[Scene]\n[Objects]\n[Object0]\nname field\n[/]\n[/]\n[/]\n"
         "[Objects]\n[field]\ntype Numeric\n" +
         object_keys + "[/]\n[/]\n";
}

class StyleSets : public UiTest {
protected:
  // The style values a numeric field of the scene received.
  Config_Interface* style_of(Scene* scene) {
    auto* field = dynamic_cast<Numeric*>(scene->get_object("field"));
    EXPECT_NE(field, nullptr);
    return field ? field->_get_style_config() : nullptr;
  }
};

}  // namespace

TEST_F(StyleSets, TheFirstSetStaysActiveAndOnlyKnownSetsCanBeChosen) {
  EXPECT_EQ(ui_get_active_style_set(), "TestStyle");
  ASSERT_TRUE(ui_load_styleset(dir.write("other.style", "[Solid]\n\tfont other\n[/]\n"),
                               "OtherStyle", files()));
  EXPECT_EQ(ui_get_active_style_set(), "TestStyle") << "a second set does not take over";
  EXPECT_FALSE(ui_set_active_style_set("NoSuchStyle"));
  EXPECT_EQ(ui_get_active_style_set(), "TestStyle");

  ASSERT_TRUE(ui_set_active_style_set("OtherStyle"));
  Scene* scene = load_scene("other_set", numeric_scene("[BaseUIObject]\nstyle Solid\n[/]\n"));
  EXPECT_EQ(style_of(scene)->get_value("font", ""), "other");
  ASSERT_TRUE(ui_set_active_style_set("TestStyle"));
}

TEST_F(StyleSets, AStyleIsFoundByItsNameAnywhereInAKey) {
  Scene* scene = load_scene("prefix", numeric_scene("[BaseUIObject]\nstyle Red\n[/]\n"));
  Config_Interface* style = style_of(scene);
  ASSERT_NE(style, nullptr);
  // DarkRed->font and Red->font both arrive as font; Red's comes later in key order and wins.
  EXPECT_EQ(style->get_value("font", ""), "red_font");
  EXPECT_EQ(style->get_value("only_dark", ""), "yes");
  EXPECT_EQ(style->get_value("only_red", ""), "yes");
  // Reddish-> does not hold Red followed by the separator.
  EXPECT_EQ(style->get_value("Reddish->font", "absent"), "absent");
}

TEST_F(StyleSets, TheSceneFileOverridesTheSetAndNoStyleTakesNothingFromIt) {
  Scene* scene = load_scene("override",
                            numeric_scene("[BaseUIObject]\nstyle Red\n[/]\n"
                                          "[style]\nfont_size 33\nown_key mine\n[/]\n"));
  Config_Interface* style = style_of(scene);
  EXPECT_EQ(style->get_value("font_size", ""), "33");
  EXPECT_EQ(style->get_value("font", ""), "red_font");
  EXPECT_EQ(style->get_value("own_key", ""), "mine");

  // Without a style name the set's prefix would be "->", which every style's keys hold.
  Scene* plain = load_scene("no_style", numeric_scene("[style]\nfont_size 9\n[/]\n"));
  Config_Interface* plain_style = style_of(plain);
  EXPECT_EQ(plain_style->get_value("only_red", "none"), "none");
  EXPECT_EQ(plain_style->get_value("font_size", ""), "9");
}

TEST_F(StyleSets, TheBasePointDefaultsToTheMiddleAndIsReadWhenGiven) {
  Scene* scene = load_scene("bases", "[Scene]\n[Objects]\n[Object0]\nname a\n[/]\n"
                                     "[Object1]\nname b\n[/]\n[/]\n[/]\n"
                                     "[Objects]\n[a]\ntype Numeric\n[/]\n"
                                     "[b]\ntype Numeric\n[BaseUIObject]\nx_base 0.25\n"
                                     "y_base 1\n[/]\n[/]\n[/]\n");
  auto* a = dynamic_cast<BaseUIObject*>(scene->get_object("a"));
  auto* b = dynamic_cast<BaseUIObject*>(scene->get_object("b"));
  ASSERT_TRUE(a && b);
  EXPECT_FLOAT_EQ(a->_get_x_base(), 0.5f);
  EXPECT_FLOAT_EQ(a->_get_y_base(), 0.5f);
  EXPECT_FLOAT_EQ(b->_get_x_base(), 0.25f);
  EXPECT_FLOAT_EQ(b->_get_y_base(), 1.0f);
  EXPECT_EQ(a->_get__internal_style_name_(), "basesastyle");
}

TEST_F(StyleSets, AWidgetLoadedAgainUnderTheSameNamesStartsItsStyleAfresh) {
  load_scene("again", numeric_scene("[BaseUIObject]\nstyle Red\n[/]\n"));
  // Scene "agai" with object "nfield" names its style configuration "againfieldstyle" too.
  Scene* second = load_scene(
      "agai", "[Scene]\n[Objects]\n[Object0]\nname nfield\n[/]\n[/]\n[/]\n"
              "[Objects]\n[nfield]\ntype Numeric\n[BaseUIObject]\nstyle Digits\n[/]\n[/]\n[/]\n");
  auto* field = dynamic_cast<Numeric*>(second->get_object("nfield"));
  ASSERT_NE(field, nullptr);
  Config_Interface* style = field->_get_style_config();
  ASSERT_NE(style, nullptr);
  EXPECT_EQ(style->get_value("font", ""), "Font0");
  EXPECT_EQ(style->get_value("only_red", "gone"), "gone");
}

// An unknown style once surfaced as "Can't load PNG image ".png"", a missing set as nothing.
TEST_F(StyleSets, AnUnknownStyleOrAMissingSetIsNamedWithTheFileAndKey) {
  testing::internal::CaptureStderr();
  EXPECT_FALSE(try_load_scene("unknown_style", numeric_scene("[BaseUIObject]\nstyle Purple\n[/]\n")));
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Error: " + dir.file("unknown_style.scn") +
                     ": Objects->field->BaseUIObject->style \"Purple\" is not a style of the style set \"TestStyle\""),
            std::string::npos)
      << err;

  testing::internal::CaptureStderr();
  EXPECT_TRUE(ui_load_styleset(dir.file("absent.style"), "AbsentStyle", files()));
  EXPECT_TRUE(ui_set_active_style_set("AbsentStyle"));
  EXPECT_FALSE(try_load_scene("empty_set", numeric_scene("[BaseUIObject]\nstyle Red\n[/]\n")));
  err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(ui_set_active_style_set("TestStyle"));
  EXPECT_NE(err.find("absent.style: No such file or directory"), std::string::npos) << err;
  EXPECT_NE(err.find("style \"Red\" is not a style of the style set \"AbsentStyle\""), std::string::npos) << err;
}

// Style numbers were read with strtol: "big" drew at size 0 without a word.
TEST_F(StyleSets, ABadStyleNumberIsNamedWhereItWasWritten) {
  ASSERT_TRUE(ui_load_styleset(dir.write("bad.style", "[Bad]\n\tfont_color purple\n[/]\n"),
                               "BadStyle", files()));
  ASSERT_TRUE(ui_set_active_style_set("BadStyle"));
  testing::internal::CaptureStderr();
  EXPECT_TRUE(try_load_scene("bad_numbers", numeric_scene("[BaseUIObject]\nstyle Bad\n[/]\n"
                                                          "[style]\nfont_size big\n[/]\n")));
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(ui_set_active_style_set("TestStyle"));
  EXPECT_NE(err.find(dir.file("bad.style") + ": Bad->font_color \"purple\" is not a number; using 0"),
            std::string::npos)
      << err;
  EXPECT_NE(err.find(dir.file("bad_numbers.scn") +
                     ": Objects->field->style->font_size \"big\" is not a number; using 0"),
            std::string::npos)
      << err;
}
