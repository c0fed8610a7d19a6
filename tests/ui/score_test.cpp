// The game's score: a numeric field wired in the game scene file to the scene's
// "group_removed" signal grows by the stones of every group that goes, in a deterministic run
// of the real game classes.

#include "game_fixture.h"
#include "panolet/numeric.h"
#include "panolet/ui.h"

using namespace game_test;

namespace {

// The fixture's default game scene with a score field wired as in res/game/game.scn.
const char* const kScoredScene =
    "[Scene]\n\tlevel @LEVEL@\n\t[Objects]\n"
    "\t\t[Object0]\n\t\t\tname emitter\n\t\t[/]\n\t\t[Object1]\n\t\t\tname score\n\t\t[/]\n\t[/]\n[/]\n"
    "[Objects]\n\t[emitter]\n\t\ttype StoneEmitter\n\t\t[StoneEmitter]\n"
    "\t\t\tstoneName res/game/stone\n\t\t\tstoneWidth 0.08\n\t\t\tstoneHeight 0.08\n"
    "\t\t\tinitialEmit 0\n\t\t[/]\n\t[/]\n"
    "\t[score]\n\t\ttype Numeric\n\t\t[Numeric]\n\t\t\tvalue_length 6\n\t\t[/]\n"
    "\t\t[signals]\n\t\t\t[signal0]\n\t\t\t\tconnect on_load\n\t\t\t\tsignal_source @SCENE@\n"
    "\t\t\t\tsignal_name group_removed\n\t\t\t\tslot_name add_value\n\t\t\t[/]\n\t\t[/]\n\t[/]\n[/]\n";

class Score : public GameField {
protected:
  void line(const std::string& prefix, int kind, int length, float x, float y) {
    for (int i = 0; i < length; ++i)
      place(prefix + std::to_string(i), kind, x + i * FACE_OFFSET, y + i * FACE_OFFSET);
  }
};

}  // namespace

TEST_F(Score, GrowsByTheSizeOfEveryGroupThatGoes) {
  ui_init();
  load(kScoredScene);
  auto* score = dynamic_cast<Numeric*>(scene->get_object("score"));
  ASSERT_NE(score, nullptr);
  EXPECT_EQ(score->_get_value(), 0);

  line("A", 0, 3, -0.3f, -0.3f);
  place("Lonely", 1, 0.5f, 0.5f);
  step(1);
  frame();
  EXPECT_EQ(score->_get_value(), 3);

  line("B", 2, 4, 0.1f, -0.4f);
  step(1);
  frame();
  EXPECT_EQ(score->_get_value(), 7);
  frame();
  EXPECT_EQ(score->_get_value(), 7) << "a lone stone scores nothing";
}
