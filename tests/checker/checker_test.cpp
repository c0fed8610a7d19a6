// tarnvale-check on crafted data folders, one per kind of problem, each asserting the exact
// lines and the exit code; on the shipped data; and the reference it prints.

#include <gtest/gtest.h>

#include <cstdio>

#include "check.h"
#include "data_format.h"
#include "process.h"
#include "scratch.h"

using test_support::built_program;
using test_support::read_file;
using test_support::run_process;

namespace {

// A clean data folder: one scene "menu" of the given objects, a font, a style "Box".
class DataFolder : public ::testing::Test {
protected:
  void SetUp() override {
    dir.copy_from_source("tests/data/ui/box.png");
    dir.copy_from_source("res/fonts/DejaVuSans.ttf");
    dir.write("cfg/Game.cfg",
              "[Fonts]\n[Font0]\nname Font0\nsource res/fonts/DejaVuSans.ttf\n[/]\n[/]\n"
              "[Options]\nStartScene menu\n[/]\n");
    dir.write("cfg/Video.cfg", "[Video]\nDriver libheadless_tessar\nWidth 400\nHeight 300\n[/]\n");
    dir.write("res/scenes.scns", "[Scenes]\n[Scene0]\nname menu\nfile res/menu.scn\n[/]\n[/]\n");
    dir.write("res/interface/base.style", "[Box]\nimage_file tests/data/ui/box.png\n[/]\n");
    scene("");
  }

  // res/menu.scn with the objects in their sections; the list names them in order.
  void scene(const std::string& objects, const std::vector<std::string>& names = {}) {
    std::string text = "[Scene]\n[Objects]\n";
    for (std::size_t i = 0; i < names.size(); ++i)
      text += "[Object" + std::to_string(i) + "]\nname " + names[i] + "\n[/]\n";
    dir.write("res/menu.scn", text + "[/]\n[/]\n[Objects]\n" + objects + "[/]\n");
  }

  test_support::ProcessResult check() {
    return run_process({built_program("tarnvale-check"), dir.path()}, ".", 120);
  }

  // The report must be exactly these lines, with exit 1 (0 when none).
  void expect_report(const std::string& lines) {
    const auto run = check();
    EXPECT_EQ(run.out, lines) << run.err;
    EXPECT_EQ(run.exit_code, lines.empty() ? 0 : 1) << run.err;
  }

  test_support::ScratchDir dir;
};

// Line numbers below count in res/menu.scn: its list of n objects takes lines 1 to 4 + 3n, then
// "[Objects]" and each object's lines follow.

TEST_F(DataFolder, ACleanFolderExitsZeroAndSaysNothing) {
  scene("[title]\ntype Text\n[Text]\ntext Hello\nfont Font0\n[/]\n[/]\n", {"title"});
  expect_report("");
}

// The game beside the check writes its trace: the check leaves the file alone.
TEST_F(DataFolder, TheTraceFileOfTheGameIsLeftAlone) {
  dir.write("cfg/Video.cfg", "[Video]\nDriver libheadless_tessar\nWidth 400\nHeight 300\nTraceFile trace.txt\n[/]\n");
  dir.write("trace.txt", "frame 1\n");
  expect_report("");
  EXPECT_EQ(dir.read("trace.txt"), "frame 1\n");
}

TEST_F(DataFolder, AMissingStyleSetMattersOnlyToWidgets) {
  std::remove(dir.file("res/interface/base.style").c_str());
  scene("[title]\ntype Text\n[Text]\ntext Hello\nfont Font0\n[/]\n[/]\n", {"title"});
  expect_report("");
  scene("[go]\ntype SceneSwitcher\n[SceneSwitcher]\nnext_scene exit\n[/]\n[/]\n", {"go"});
  const auto run = check();
  EXPECT_EQ(run.out.rfind("res/interface/base.style:1: cannot be read\n", 0), 0u) << run.out;
}

TEST_F(DataFolder, UnknownObjectAndSceneTypesWithTheClosestName) {
  scene("[logo]\ntype Imgae\n[/]\n[clock]\ntype NoSuchThing\n[/]\n", {"logo", "clock", "ghost"});
  dir.write("res/scenes.scns",
            "[Scenes]\n[Scene0]\nname menu\nfile res/menu.scn\n[/]\n"
            "[Scene1]\nname other\nfile res/menu.scn\ntype generc\n[/]\n[/]\n");
  expect_report(
      "res/menu.scn:10: object \"ghost\" has no type\n"
      "res/menu.scn:16: unknown object type \"Imgae\"; did you mean \"Image\"?\n"
      "res/menu.scn:19: unknown object type \"NoSuchThing\"\n"
      "res/scenes.scns:9: unknown scene type \"generc\"; did you mean \"generic\"?\n");
}

TEST_F(DataFolder, MissingAndBrokenPicturesAndFonts) {
  dir.write("res/broken.png", "not a picture");
  dir.write("res/broken.ttf", "not a font");
  dir.write("cfg/Game.cfg",
            "[Fonts]\n[Font0]\nname Font0\nsource res/fonts/DejaVuSans.ttf\n[/]\n"
            "[Font1]\nname Bad\nsource res/broken.ttf\n[/]\n"
            "[Font2]\nname Gone\nsource res/none.ttf\n[/]\n[/]\n");
  scene("[a]\ntype Image\n[Image]\nimage_file res/broken.png\n[/]\n[/]\n"
        "[b]\ntype Image\n[Image]\nimage_file res/none.png\n[/]\n[/]\n",
        {"a", "b"});
  expect_report(
      "cfg/Game.cfg:8: font \"Bad\" cannot be loaded from \"res/broken.ttf\": Cant open file, or "
      "file is broken: \"res/broken.ttf\"\n"
      "cfg/Game.cfg:12: font \"Gone\" cannot be loaded from \"res/none.ttf\": Cant open file, or "
      "file is broken: \"res/none.ttf\": res/none.ttf: No such file or directory\n"
      "res/menu.scn:15: picture \"res/broken.png\" is broken: Can't load PNG image "
      "\"res/broken.png\": it is not a PNG file\n"
      "res/menu.scn:21: picture \"res/none.png\" cannot be read\n");
}

TEST_F(DataFolder, UnknownFontsStylesScenesAndObjectsByName) {
  scene("[title]\ntype Text\n[Text]\nfont Fnt0\n[/]\n[/]\n"
        "[go]\ntype SceneSwitcher\n[BaseUIObject]\nstyle Bx\n[/]\n[SceneSwitcher]\nnext_scene exti\n"
        "[/]\n[/]\n"
        "[label]\ntype Text\n[SceneObject]\ncoord_type link\nlink_object titel\n[/]\n[/]\n",
        {"title", "go", "label"});
  expect_report(
      "res/menu.scn:18: unknown font \"Fnt0\"; did you mean \"Font0\"?\n"
      "res/menu.scn:24: unknown style \"Bx\"; did you mean \"Box\"?\n"
      "res/menu.scn:27: unknown scene \"exti\"; did you mean \"exit\"?\n"
      "res/menu.scn:34: unknown object \"titel\"; did you mean \"title\"?\n");
}

TEST_F(DataFolder, SignalsToSlotsNobodyRegistersAndFromSourcesNothingRises) {
  scene("[clock]\ntype Timer\n[signals]\n"
        "[signal0]\nsignal_source menu\nsignal_name new_cycle\nslot_name _on_new_cycel\n[/]\n"
        "[signal1]\nsignal_source menu\nsignal_name new_cycel\nslot_name _on_new_cycle\n[/]\n"
        "[signal2]\nsignal_source menu->clock\nsignal_name time_out\nslot_name _on_new_cycle\n[/]\n"
        "[signal3]\nsignal_source Video\nsignal_name mouse_pres\nslot_name _on_activate\n[/]\n"
        "[/]\n[/]\n",
        {"clock"});
  expect_report(
      "res/menu.scn:15: no object registers the slot \"menu->clock->_on_new_cycel\"; did you mean "
      "\"_on_new_cycle\"?\n"
      "res/menu.scn:18: nothing rises the signal \"menu->new_cycel\"; did you mean "
      "\"menu->new_cycle\"?\n"
      "res/menu.scn:28: nothing rises the signal \"Video->mouse_pres\"; did you mean "
      "\"Video->mouse_press\"?\n");
}

TEST_F(DataFolder, LinkCyclesAndWindowsThatIncludeThemselves) {
  const std::string linked = "[SceneObject]\ncoord_type link\nlink_object ";
  scene("[a]\ntype Text\n" + linked + "b\n[/]\n[/]\n[b]\ntype Text\n" + linked + "a\n[/]\n[/]\n" +
            "[win]\ntype Window\n[Image]\nimage_file tests/data/ui/box.png\n[/]\n"
            "[Window]\ninternal_scene_file res/menu.scn\n[/]\n[/]\n",
        {"a", "b", "win"});
  expect_report(
      "res/menu.scn:19: link cycle: a -> b -> a\n"
      "res/menu.scn:35: window \"win\" includes itself through \"res/menu.scn\"\n");
}

TEST_F(DataFolder, NumbersOutOfRangeOrNotFinite) {
  scene("[clock]\ntype Timer\n[Timer]\ntime nan\n[/]\n[/]\n"
        "[title]\ntype Text\n[Text]\nfont_size 1e999\n[/]\n[SceneObject]\nabsolute_x 1e7\n[/]\n[/]\n"
        "[keys]\ntype KeyboardMenu\n[KeyboardMenu]\nnext_keys 293 tab 0\n[/]\n[/]\n",
        {"clock", "title", "keys"});
  dir.write("cfg/Video.cfg", "[Video]\nDriver libheadless_tessar\nWidth 0\n[/]\n");
  expect_report(
      "cfg/Video.cfg:3: \"0\" is out of range 1 to 16384\n"
      "res/menu.scn:18: \"nan\" is not finite\n"
      "res/menu.scn:24: \"1e999\" is not finite\n"
      "res/menu.scn:27: \"1e7\" is out of range -10000 to 10000\n"
      "res/menu.scn:33: \"tab\" is not a key number\n");
}

TEST_F(DataFolder, KeysNoClassReads) {
  scene("[title]\ntype Text\n[Text]\ncolr 0xffffffff\n[/]\n[Sceneobject]\nshow true\n[/]\n[/]\n"
        "[stray]\ntype Text\n[/]\n",
        {"title"});
  dir.write("cfg/Game.cfg", "[Options]\nStartScen menu\nGameName ../scores\n[/]\n");
  dir.write("res/interface/base.style", "[Box]\nimage_fle tests/data/ui/box.png\n[/]\n");
  expect_report(
      "cfg/Game.cfg:2: unknown key \"Options->StartScen\"; did you mean \"Options->StartScene\"?\n"
      "cfg/Game.cfg:3: \"../scores\" is not a folder name\n"
      "res/interface/base.style:2: unknown key \"image_fle\"; did you mean \"image_file\"?\n"
      "res/menu.scn:12: unknown key \"Text->colr\"; did you mean \"Text->color\"?\n"
      "res/menu.scn:15: unknown key \"Sceneobject->show\"; did you mean \"SceneObject->show\"?\n"
      "res/menu.scn:19: object \"stray\" is not in the scene's object list\n");
}

// A module's types are checked by what the module declared, like the built-in ones.
TEST_F(DataFolder, TheGamesModulesTypesAndTheModulesThatCannotRun) {
  dir.write("cfg/Game.cfg",
            "[Options]\nStartScene menu\n[Modules]\nModule0 libtest_module_counter\n"
            "Module1 libtest_module_no_entry\n[/]\n[/]\n");
  scene("[tally]\ntype Counter\n[Counter]\nstart 500\nstrat 1\n[/]\n[/]\n[lost]\ntype Countr\n[/]\n",
        {"tally", "lost"});
  expect_report(
      "cfg/Game.cfg:5: Options->Modules->Module1 \"libtest_module_no_entry\" has no entry point "
      "_register_game_module; left out\n"
      "res/menu.scn:15: \"500\" is out of range 0 to 100\n"
      "res/menu.scn:16: unknown key \"Counter->strat\"; did you mean \"Counter->start\"?\n"
      "res/menu.scn:20: unknown object type \"Countr\"; did you mean \"Counter\"?\n");

  const auto reference = run_process({built_program("tarnvale-check"), "--reference", dir.path()}, ".");
  EXPECT_EQ(reference.exit_code, 0) << reference.err;
  EXPECT_NE(reference.out.find("### `Counter`\n\nCounts.\n\nAlso has everything of `SceneObject`."),
            std::string::npos);
  EXPECT_NE(reference.out.find("| `Counter->start` | `0` | whole number, 0 to 100 | where it starts |"),
            std::string::npos);
  EXPECT_NE(reference.out.find("### `Image`"), std::string::npos);
  EXPECT_NE(reference.err.find("Module1 \"libtest_module_no_entry\" has no entry point"),
            std::string::npos);
}

TEST_F(DataFolder, AFailureTheTableCannotForeseeIsTheLibrarysOwnReason) {
  scene("[t]\ntype Text\n[Text]\ntext hi\nrenderer_type nosuch\nfont Font0\n[/]\n[/]\n", {"t"});
  expect_report(
      "res/scenes.scns:4: scene \"menu\" does not load: Can't load object \"t\" from file "
      "\"res/menu.scn\"; Error: text.cpp: Can't get renderer:\n");
}

TEST_F(DataFolder, WhatCannotBeCheckedExitsTwo) {
  const auto run = run_process({built_program("tarnvale-check"), dir.file("no/such/folder")}, ".");
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("cannot enter"), std::string::npos) << run.err;

  std::remove(dir.file("res/scenes.scns").c_str());
  const auto empty = check();
  EXPECT_EQ(empty.exit_code, 2);
  EXPECT_EQ(empty.out, "");
  EXPECT_NE(empty.err.find("not a data folder"), std::string::npos) << empty.err;
}

TEST(ShippedData, ChecksClean) {
  const auto run = run_process({built_program("tarnvale-check"), TARNVALE_SOURCE_DIR}, ".", 300);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.exit_code, 0) << run.err;
}

TEST(Reference, DocsHoldWhatTheCheckerPrints) {
  const auto run = run_process({built_program("tarnvale-check"), "--reference"}, ".");
  ASSERT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, reference_markdown());
  EXPECT_EQ(read_file(std::string(TARNVALE_SOURCE_DIR) + "/docs/reference.md"), run.out)
      << "regenerate with: tarnvale-check --reference > docs/reference.md";
}

TEST(Reference, EveryPlaceableTypeIsRegisteredByItsName) {
  // A type documented but not placeable (or the other way round) is a stale table.
  for (const TypeDoc& type : data_types()) {
    for (const TypeDoc* each : type_with_bases(type)) EXPECT_NE(each, nullptr);
    if (is_base_only(type)) continue;
    EXPECT_NE(std::string(type.summary), "") << type.name;
  }
  EXPECT_NE(find_type("GameScene"), nullptr);
  EXPECT_EQ(find_type("Imgae"), nullptr);
}

TEST(Suggestions, CloseNamesOnlyAndSwapsCountOnce) {
  EXPECT_EQ(edit_distance("Image", "Imgae"), 1u);
  EXPECT_EQ(edit_distance("", "abc"), 3u);
  EXPECT_EQ(edit_distance("kitten", "sitting"), 3u);
  const std::vector<std::string> names = {"Image", "Text", "Timer", "Window"};
  EXPECT_EQ(closest_name("Imgae", names), "Image");
  EXPECT_EQ(closest_name("Tmer", names), "Timer");
  // Too far from everything, or already right: no suggestion.
  EXPECT_EQ(closest_name("Button", names), "");
  EXPECT_EQ(closest_name("Text", names), "");
  EXPECT_EQ(closest_name("X", {}), "");
}

}  // namespace
