// Game modules named by cfg/Game.cfg, loaded in this process from the build's library folder and
// from a data folder's lib/.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "brannow/brannow.h"
#include "carrow/config.h"
#include "scratch.h"
#include "voskar/fabric.h"
#include "voskar/game_module.h"
#include "voskar/sceneobject.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

class Placeholder : public SceneObject {
public:
  void draw() override {}
};
ObjectFabric<Placeholder> placeholder_fabric;

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(GameModules, EachFaultyEntryGetsOneLineAndTheRestLoadWhole) {
  test_support::ScratchDir folder;
  // The data folder's own copy comes first; the same module beside the engine then finds its
  // type names taken.
  std::filesystem::create_directories(folder.file("lib"));
  std::filesystem::copy_file(std::string(TARNVALE_BINARY_DIR) + "/lib/libtest_module_counter.so",
                             folder.file("lib/libmy_counter.so"));
  const std::string long_name(5000, 'x');
  std::string list;
  const std::vector<std::string> names = {
      "libmy_counter", "libtest_module_counter", "libno_such_module", "libtest_module_no_entry",
      "libtest_module_taken", "libtest_module_refusing", "../lib/libmy_counter", "libquorra.so",
      long_name};
  for (std::size_t i = 0; i < names.size(); ++i)
    list += "\t\tModule" + std::to_string(i) + " " + names[i] + "\n";
  // An entry left empty is reported; the list goes on to its end, Module11 is not read.
  list += "\t\tModule9\n\t\tModule10 libtest_module_refusing\n\t\tModule12 libtest_module_counter\n";
  folder.write("cfg/Game.cfg", "[Options]\n\t[Modules]\n" + list + "\t[/]\n[/]\n");

  Brannow::FileManager files(100);
  files.register_brannow(Brannow::CreatePosixFile);
  ASSERT_TRUE(config_create("GameConfig", "libquorra", true)) << config_error();
  Config_Interface* config = config_get_interface("GameConfig");
  ASSERT_EQ(chdir(folder.path().c_str()), 0);
  ASSERT_TRUE(config->load("cfg/Game.cfg", &files));
  SceneObjectFabric::add_fabric("Image", &placeholder_fabric);

  std::ostringstream report;
  EXPECT_THAT(load_game_modules(config, "cfg/Game.cfg", report), ElementsAre("libmy_counter"));
  const std::vector<std::string> lines = lines_of(report.str());
  ASSERT_EQ(lines.size(), 10u) << report.str();
  const std::string lead = "cfg/Game.cfg: Options->Modules->Module";
  EXPECT_EQ(lines[0], lead + "1 \"libtest_module_counter\" declares the type \"Counter\", whose "
                             "name is taken; left out");
  EXPECT_THAT(lines[1], HasSubstr(lead + "2 \"libno_such_module\" cannot be loaded: "));
  EXPECT_EQ(lines[2], lead + "3 \"libtest_module_no_entry\" has no entry point "
                             "_register_game_module; left out");
  EXPECT_EQ(lines[3], lead + "4 \"libtest_module_taken\" declares the type \"Image\", whose name "
                             "is taken; left out");
  EXPECT_EQ(lines[4], lead + "5 \"libtest_module_refusing\" refused: needs a newer engine; left out");
  EXPECT_THAT(lines[5], HasSubstr("6 \"../lib/libmy_counter\" is not a bare library name"));
  EXPECT_THAT(lines[6], HasSubstr("7 \"libquorra.so\" is not a bare library name"));
  EXPECT_THAT(lines[7], HasSubstr("8 \"" + std::string(200, 'x') + "...\" is longer than 200"));
  EXPECT_EQ(lines[8], lead + "9 \"\" is empty; left out");
  EXPECT_THAT(lines[9], HasSubstr("10 \"libtest_module_refusing\" refused"));

  // Taken whole: the refused module's free type is not registered either.
  EXPECT_FALSE(SceneObjectFabric::_fabrics_.exists("FreeName"));
  SceneObject* counter = SceneObjectFabric()["Counter"];
  EXPECT_NE(counter, nullptr);
  delete counter;
  EXPECT_TRUE(SceneFabric::_fabrics_.exists("CounterScene"));

  // The table holds the engine's copies of what the module declared.
  ASSERT_EQ(module_types().size(), 2u);
  const TypeDoc& type = *module_types()[0];
  EXPECT_STREQ(type.name, "Counter");
  EXPECT_FALSE(type.scene_type);
  ASSERT_EQ(type.keys.size(), 1u);
  EXPECT_STREQ(type.keys[0].key, "Counter->start");
  EXPECT_EQ(type.keys[0].max, 100);
  ASSERT_EQ(type.signals.size(), 1u);
  EXPECT_STREQ(type.signals[0], "counted");
  EXPECT_TRUE(module_types()[1]->scene_type);
}

}  // namespace
