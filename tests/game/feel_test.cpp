// What the game scene adds to the rules, on the real classes and the stepped clock: scores that
// rise through a cascade, rising numbers, the multiplier, the swap's motion, the pace and hints,
// and how a pause holds them.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "GameEngine/GameObjects/score_popup/score_popup.h"
#include "game_fixture.h"
#include "panolet/numeric.h"
#include "voskar/text.h"
#include "voskar/timer.h"

using namespace game_test;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::UnorderedElementsAre;

namespace {

// The rising numbers (half a second) and the multiplier's label.
const std::string POPUP_AND_COMBO =
    "\t[popup]\n\t\ttype Text\n\t\t[Text]\n\t\t\ttext +0\n\t\t\tfont Font0\n\t\t\tfont_size 20\n\t\t[/]\n"
    "\t\t[ScorePopup]\n\t\t\tlifeTime 0.5\n\t\t\trise 0.2\n\t\t[/]\n\t[/]\n"
    "\t[combo]\n\t\ttype Text\n\t\t[Text]\n\t\t\ttext Cascade\n\t\t\tfont Font0\n\t\t[/]\n\t[/]\n";
const std::string SCORING = "\tscoreObject score\n\tcascadeScoring true\n\tgroupBonus 2\n\tscorePopup popup\n"
                            "\tcomboLabel combo\n\tcomboText x{n}\n";
// Bursts without particles: nothing jostles the crafted stones.
const std::string NO_PARTICLES = "[@SCENE@StoneParticles]\n\tparticleCount 0\n[/]\n";

class Feel : public SteppedField {
protected:
  // A(1) at (x, y), B1 and B2 (0) further along one diagonal, X (0) beside A on the other: X
  // into A's place makes a line of three, unless last is not 0.
  void swap_layout(float x, float y, int last = 0) {
    place("A", 1, x, y);
    place("B1", 0, x + FACE_OFFSET, y + FACE_OFFSET);
    place("B2", last, x + 2 * FACE_OFFSET, y + 2 * FACE_OFFSET);
    place("X", 0, x + FACE_OFFSET, y - FACE_OFFSET);
  }
  BaseStone* stone(const std::string& name) { return dynamic_cast<BaseStone*>(scene->get_object(name)); }
  void click(const std::string& name) { stone(name)->_on_mouse_release_handler(); }
  void swap(const std::string& first, const std::string& second) {
    click(first);
    click(second);
  }
  // Where the stone's picture is drawn, and where its body is (scene units).
  b2Vec2 picture(const std::string& name) {
    Video_Sprite* sprite = stone(name)->_get__sprite_();
    return b2Vec2(static_cast<float>(sprite->_get_x()), static_cast<float>(sprite->_get_y()));
  }
  b2Vec2 body(const std::string& name) {
    const b2Vec2 at = stone(name)->_get_body()->GetPosition();
    return b2Vec2(world_to_scene(at.x), world_to_scene(at.y));
  }
  Video_Sprite* glow(const std::string& stone_name) {
    return video()->_find_sprite(stone_name + "hintGlow", scene->get_name());
  }
  Numeric* numeric(const std::string& name) { return dynamic_cast<Numeric*>(scene->get_object(name)); }
  void wire_score() { connect(scene->get_name() + "->group_scored", scene->get_name() + "->score->add_value"); }
  int popups() {
    int count = 0;
    for (const std::string& name : scene->get_object_names()) count += name.rfind("scorePopup", 0) == 0;
    return count;
  }
  static std::vector<int64_t> scored(const SlotArgs& pack) { return pack.int_params; }
};

TEST_F(Feel, WithoutTheKeysEveryGroupScoresItsSize) {
  load_course("\tscoreObject score\n");
  wire_score();
  Catcher scores(scene->get_name() + "->group_scored");
  swap_layout(0, 0);
  tick();
  swap("X", "A");
  tick();
  diagonal("W", {2, 2, 2, 2}, -0.6f, -0.6f);
  tick();
  ASSERT_EQ(scores.packs.size(), 2u);
  EXPECT_EQ(scored(scores.packs[0]), (std::vector<int64_t>{3, 1}));
  EXPECT_EQ(scored(scores.packs[1]), (std::vector<int64_t>{4, 1})) << "no bonus, no multiplier";
  EXPECT_EQ(numeric("score")->_get_value(), 7);
  EXPECT_EQ(popups(), 0);
  EXPECT_FALSE(has("X")) << "the group went at once: no travel";
}

TEST_F(Feel, ABonusBelowZeroAndAHintTimeThatIsNoNumberAreOff) {
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  load_course("\tgroupBonus -5\n\thintSeconds nan\n\tpaceEmitter emitter\n\tgameOverLine high\n");
  const std::string err = testing::internal::GetCapturedStderr();
  Catcher scores(scene->get_name() + "->group_scored");
  diagonal("W", {2, 2, 2, 2}, -0.6f, -0.6f);
  place("P", 0, 0.3f, 0.3f);
  tick(30);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_THAT(err, HasSubstr("Scene->groupBonus \"-5\" is out of range 0 to 1e+06; using 0"));
  EXPECT_THAT(err, HasSubstr("Scene->hintSeconds \"nan\" is not finite; using 0"));
  EXPECT_THAT(err, HasSubstr("Scene->gameOverLine \"high\" is not a number; ignored"));
  EXPECT_FALSE(scene->field().get_rules().line_set);
  ASSERT_EQ(scores.packs.size(), 1u);
  EXPECT_EQ(scored(scores.packs[0]), (std::vector<int64_t>{4, 1}));
  EXPECT_THAT(out, Not(HasSubstr("No move left"))) << "no hint search";
}

TEST_F(Feel, WavesThatTheSwapSetFallingScoreRisingMultiplesUntilTheFieldIsStill) {
  load_course(SCORING, false, {"combo"}, POPUP_AND_COMBO, NO_PARTICLES);
  wire_score();
  Catcher scores(scene->get_name() + "->group_scored");
  Catcher selected(scene->get_name() + "->stone_selected"), stood(scene->get_name() + "->swap_stood");
  Catcher bursts(scene->get_name() + "->group_burst"), steps(scene->get_name() + "->cascade_step");
  // A stone on the move keeps the field from being still.
  place("Mover", 4, 0.8f, 0.8f)->_get_body()->SetLinearVelocity(b2Vec2(-3, 0));
  swap_layout(0, 0);
  // Pairs that rest while the swap's group goes, and the stones that then fall in beside them.
  diagonal("W", {2, 2}, -0.6f, -0.6f);
  diagonal("U", {4, 4}, -0.6f, 0.3f);
  diagonal("V", {3, 3}, 0.3f, -0.6f);
  place("W2", 2, 0.8f, -0.8f);
  place("W3", 2, 0.8f, -0.6f);
  place("U2", 4, 0.8f, -0.4f);
  place("V2", 3, 0.8f, -0.2f);
  // Into the diagonal's place i beside the pair at (x, y), as a fall takes it there.
  auto fall = [this](const std::string& name, float x, float y, int i) {
    b2Body* body = stone(name)->_get_body();
    body->SetTransform(scene_to_world(x + i * FACE_OFFSET, y + i * FACE_OFFSET), body->GetAngle());
  };
  tick();
  swap("X", "A");
  EXPECT_EQ(scene->feel().multiplier(), 0) << "the swap's group has not gone yet";
  tick();
  ASSERT_EQ(scores.packs.size(), 1u);
  EXPECT_EQ(scored(scores.packs[0]), (std::vector<int64_t>{3, 1})) << "the swap's own group";
  EXPECT_EQ(selected.packs.size(), 1u);
  EXPECT_EQ(stood.packs.size(), 1u);
  EXPECT_EQ(scored(bursts.packs.at(0)), (std::vector<int64_t>{3, 1})) << "size, multiplier";
  EXPECT_FALSE(shown("combo"));
  EXPECT_EQ(popups(), 1);

  // Two groups in one frame are one wave; a group of four scores 4 + 2.
  fall("W2", -0.6f, -0.6f, 2);
  fall("W3", -0.6f, -0.6f, 3);
  fall("U2", -0.6f, 0.3f, 2);
  tick(3);
  ASSERT_EQ(scores.packs.size(), 3u);
  EXPECT_THAT((std::vector<std::vector<int64_t>>{scored(scores.packs[1]), scored(scores.packs[2])}),
              UnorderedElementsAre(std::vector<int64_t>{12, 2}, std::vector<int64_t>{6, 2}));
  EXPECT_TRUE(shown("combo"));
  EXPECT_EQ(dynamic_cast<Text*>(scene->get_object("combo"))->_get_text(), "x2");

  fall("V2", 0.3f, -0.6f, 2);
  tick();
  EXPECT_EQ(scored(scores.packs.at(3)), (std::vector<int64_t>{9, 3}));
  EXPECT_EQ(dynamic_cast<Text*>(scene->get_object("combo"))->_get_text(), "x3");
  ASSERT_EQ(steps.packs.size(), 2u) << "one step a wave, not a group";
  EXPECT_EQ(scored(steps.packs[1]), std::vector<int64_t>{3});

  // Still for 0.3 s: the cascade is over, and a group now scores plainly, as the refill's do.
  stone("Mover")->_get_body()->SetLinearVelocity(b2Vec2(0, 0));
  tick(17);
  EXPECT_EQ(scene->feel().multiplier(), 3) << "not yet still long enough";
  tick(2);
  EXPECT_EQ(scene->feel().multiplier(), 0);
  EXPECT_FALSE(shown("combo"));
  diagonal("R", {1, 1, 1}, 0.3f, 0.3f);
  tick();
  EXPECT_EQ(scored(scores.packs.at(4)), (std::vector<int64_t>{3, 1}));
  EXPECT_EQ(numeric("score")->_get_value(), 3 + 12 + 6 + 9 + 3);
  EXPECT_EQ(scored(bursts.packs.at(4)), (std::vector<int64_t>{3, 0})) << "no cascade runs";

  // Each score rose from its group as a number, and each is gone after its half second.
  EXPECT_EQ(popups(), 5);
  tick(31);
  EXPECT_EQ(popups(), 0);
}

TEST_F(Feel, ARisingNumberStartsAtItsGroupRisesAndFades) {
  load_course(SCORING, false, {"combo"}, POPUP_AND_COMBO, NO_PARTICLES);
  diagonal("W", {2, 2, 2}, -0.3f, -0.3f);
  tick();
  auto* popup = dynamic_cast<ScorePopup*>(scene->get_object("scorePopup1"));
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->_get_text(), "+3");
  tick();
  Video_Sprite* sprite = popup->_get__sprite_();
  const double first_y = sprite->_get_y();
  const float first_alpha = sprite->_get_alpha();
  EXPECT_NEAR(sprite->_get_x(), -0.3 + FACE_OFFSET, 0.01) << "the middle of the group";
  EXPECT_NEAR(first_y, -0.3 + FACE_OFFSET, 0.02);
  tick(15);
  EXPECT_GT(sprite->_get_y(), first_y + 0.05);
  EXPECT_LT(sprite->_get_alpha(), first_alpha - 0.4f);
}

TEST_F(Feel, ARisingNumberWithAHoldTimeStaysOpaqueThenFades) {
  std::string sections = POPUP_AND_COMBO;
  sections.replace(sections.find("\t\t\trise 0.2\n"), 0, "\t\t\tholdTime 0.25\n");
  load_course(SCORING, false, {"combo"}, sections, NO_PARTICLES);
  diagonal("W", {2, 2, 2}, -0.3f, -0.3f);
  tick(2);
  Video_Sprite* sprite = dynamic_cast<ScorePopup*>(scene->get_object("scorePopup1"))->_get__sprite_();
  tick(12);
  EXPECT_FLOAT_EQ(sprite->_get_alpha(), 1.0f) << "within its hold time";
  tick(8);
  EXPECT_LT(sprite->_get_alpha(), 0.8f);
  EXPECT_GT(sprite->_get_alpha(), 0.4f) << "the fade takes the rest of the half second";
}

TEST_F(Feel, AStandingSwapTravelsBeforeItsGroupGoesAndARejectedOneShakes) {
  load_course("\tswapSeconds 0.15\n\trejectSeconds 0.3\n", false, {}, "", NO_PARTICLES);
  swap_layout(0, 0);
  tick();
  const b2Vec2 a_place = body("A"), x_place = body("X");
  swap("X", "A");
  tick(4);
  // On the way: the picture between the places, the body already in the new one.
  EXPECT_LT(b2Distance(body("X"), a_place), 0.001f);
  const float left = b2Distance(picture("X"), a_place);
  EXPECT_GT(left, 0.005f);
  EXPECT_LT(left, b2Distance(x_place, a_place) - 0.005f);
  EXPECT_TRUE(has("X") && has("B1") && has("B2")) << "the group waits for the swap";
  tick(6);
  EXPECT_FALSE(has("X") || has("B1") || has("B2"));
  EXPECT_LT(b2Distance(picture("A"), x_place), 0.001f);

  // A swap that makes no group: both stones stay and shake, then stand where they were.
  place("C", 2, -0.5f, -0.5f);
  place("D", 3, -0.5f + FACE_OFFSET, -0.5f + FACE_OFFSET);
  tick();
  Catcher rejected(scene->get_name() + "->swap_rejected");
  const b2Vec2 c_place = body("C"), d_place = body("D");
  swap("C", "D");
  tick(2);
  EXPECT_LT(b2Distance(body("C"), c_place), 0.001f);
  EXPECT_GT(b2Distance(picture("C"), c_place), 0.003f);
  EXPECT_GT(b2Distance(picture("D"), d_place), 0.003f);
  EXPECT_EQ(rejected.packs.size(), 1u);
  tick(17);
  EXPECT_LT(b2Distance(picture("C"), c_place), 0.001f);
  EXPECT_LT(b2Distance(picture("D"), d_place), 0.001f);
}

TEST_F(Feel, PaceStepsShortenTheRefillAndGrowTheRowAsTheScoreRises) {
  const std::string pace =
      "\tscoreObject score\n\tpaceTimer refill\n\tpaceEmitter emitter\n\tlevelObject level\n"
      "\t[Pace]\n"
      "\t\t[Step0]\n\t\t\tscore 3\n\t\t\trefillTime 0.4\n\t\t\temitCount 2\n\t\t[/]\n"
      "\t\t[Step1]\n\t\t\tscore 6\n\t\t\trefillTime 0.3\n\t\t[/]\n"
      // out of order: ignored
      "\t\t[Step2]\n\t\t\tscore 5\n\t\t\temitCount 9\n\t\t[/]\n"
      "\t[/]\n";
  testing::internal::CaptureStdout();
  load_course(pace, true, {"level"}, "\t[level]\n\t\ttype Numeric\n\t[/]\n", NO_PARTICLES);
  EXPECT_THAT(testing::internal::GetCapturedStdout(), HasSubstr("Pace step 2 of " + scene->get_name() + " ignored"));
  wire_score();
  Catcher levels(scene->get_name() + "->level_reached");
  auto* refill = dynamic_cast<Timer*>(scene->get_object("refill"));
  EXPECT_EQ(scene->feel().level(), 1);
  EXPECT_FLOAT_EQ(refill->_get_time(), 0.5f);
  EXPECT_EQ(emitter()->_get_emit_count(), 1);

  diagonal("G", {0, 0, 0}, -0.5f, -0.5f);
  tick();
  EXPECT_EQ(scene->feel().level(), 2);
  EXPECT_EQ(numeric("level")->_get_value(), 2);
  EXPECT_FLOAT_EQ(refill->_get_time(), 0.4f);
  EXPECT_EQ(emitter()->_get_emit_count(), 2);
  // The next refill brings the larger row.
  const int before = stones();
  tick(26);
  EXPECT_EQ(stones(), before + 2);

  diagonal("H", {1, 1, 1}, 0.3f, -0.5f);
  tick();
  EXPECT_EQ(numeric("level")->_get_value(), 3);
  EXPECT_FLOAT_EQ(refill->_get_time(), 0.3f);
  EXPECT_EQ(emitter()->_get_emit_count(), 2) << "a step without a row keeps the one before";
  diagonal("J", {2, 2, 2}, 0.3f, 0.3f);
  tick();
  EXPECT_EQ(numeric("score")->_get_value(), 9);
  EXPECT_EQ(numeric("level")->_get_value(), 3);
  ASSERT_EQ(levels.packs.size(), 2u) << "once a new level";
  EXPECT_EQ(scored(levels.packs[1]), std::vector<int64_t>{3});
}

TEST_F(Feel, AHintNamesASwapThatMakesAGroupUntilTheNextClick) {
  load_course("\thintSeconds 10\n\tnoMoveLabel label\n\tpaceEmitter emitter\n");
  Catcher hints(scene->get_name() + "->hint_shown");
  swap_layout(0, 0);
  tick(599);
  EXPECT_EQ(scene->feel().hinted().first, "");
  testing::internal::CaptureStdout();
  tick(2);
  const std::string out = testing::internal::GetCapturedStdout();
  const auto [first, second] = scene->feel().hinted();
  ASSERT_THAT((std::vector<std::string>{first, second}), UnorderedElementsAre("A", "X")) << out;
  EXPECT_THAT(out, HasSubstr("INFO:Hint: " + first + " with " + second + "\n"));
  EXPECT_EQ(hints.packs.size(), 1u);
  // A glow pulses around the two, in a few shades a second: frames in between show the same
  // picture. The stones themselves stay as they are: only a selection darkens.
  ASSERT_NE(glow("A"), nullptr);
  ASSERT_NE(glow("X"), nullptr);
  EXPECT_EQ(glow("B1"), nullptr);
  float faintest = 1.0f;
  std::set<float> shades;
  for (int i = 0; i < 30; ++i) {
    tick();
    faintest = std::min(faintest, glow("A")->_get_alpha());
    shades.insert(glow("A")->_get_alpha());
    EXPECT_FLOAT_EQ(glow("A")->_get_alpha(), glow("X")->_get_alpha());
    EXPECT_FLOAT_EQ(stone("A")->_get__sprite_()->_get_alpha(), 1.0f);
    EXPECT_FLOAT_EQ(stone("A")->_get__sprite_()->_get_blend_r(), 1.0f);
  }
  EXPECT_LT(faintest, 0.5f);
  EXPECT_GE(shades.size(), 5u);
  EXPECT_LE(shades.size(), 9u) << "a new shade in every frame";
  EXPECT_FALSE(shown("label"));

  // The swap it names makes the group.
  click(first);
  EXPECT_EQ(scene->feel().hinted().first, "");
  EXPECT_EQ(glow("A"), nullptr);
  EXPECT_LT(stone(first)->_get__sprite_()->_get_blend_r(), 0.6f) << "the selection darkens";
  click(second);
  tick();
  EXPECT_FALSE(has("X") || has("B1") || has("B2"));
}

TEST_F(Feel, AGameThatEndsLeavesNoMarkedStones) {
  load_course("\thintSeconds 1\n");
  swap_layout(0, 0);
  tick(76);
  ASSERT_NE(scene->feel().hinted().first, "");
  ASSERT_NE(glow("A"), nullptr);
  scene->end_game();
  EXPECT_EQ(scene->feel().hinted().first, "");
  EXPECT_EQ(glow("A"), nullptr);
  EXPECT_EQ(glow("X"), nullptr);
}

TEST_F(Feel, ArrowKeysMoveACursorToTheNearestStoneTheirWayAndSpaceClicksIt) {
  load_course("\tkeyboardCursor true\n", false, {}, "", NO_PARTICLES);
  swap_layout(0, 0);
  tick();
  press_key(VKEY_LEFT);  // the first key shows the cursor on the stone nearest the middle
  ASSERT_EQ(scene->get_cursor_stone(), stone("A"));
  EXPECT_NE(video()->_find_sprite("AcursorGlow", scene->get_name()), nullptr);
  press_key(VKEY_LEFT);
  EXPECT_EQ(scene->get_cursor_stone(), stone("A")) << "no stone that way";
  press_key(VKEY_SPACE);
  EXPECT_EQ(scene->get_selected_stone(), stone("A"));
  press_key(VKEY_DOWN);
  ASSERT_EQ(scene->get_cursor_stone(), stone("X"));
  EXPECT_EQ(video()->_find_sprite("AcursorGlow", scene->get_name()), nullptr);
  press_key(VKEY_ENTER);
  tick();
  EXPECT_FALSE(has("X") || has("B1") || has("B2")) << "the swap stood and its group went";
  EXPECT_EQ(scene->get_cursor_stone(), nullptr);
  press_key(VKEY_UP);
  EXPECT_EQ(scene->get_cursor_stone(), stone("A")) << "back near where its stone went";
}

TEST_F(Feel, WithNoSwapToMakeTheHintSaysSoAndDropsAFreshRow) {
  load_course("\thintSeconds 10\n\tnoMoveLabel label\n\tpaceEmitter emitter\n");
  place("P", 0, -0.5f, -0.5f);
  place("Q", 1, -0.5f + FACE_OFFSET, -0.5f + FACE_OFFSET);
  tick(5 * 60);
  click("P");  // a click starts the wait again
  tick(9 * 60);
  EXPECT_FALSE(shown("label"));
  testing::internal::CaptureStdout();
  tick(61);
  EXPECT_THAT(testing::internal::GetCapturedStdout(), HasSubstr("INFO:No move left: a fresh row\n"));
  EXPECT_TRUE(shown("label"));
  EXPECT_EQ(stones(), 3) << "the emitter's row of one";
  tick(121);
  EXPECT_FALSE(shown("label"));
}

TEST_F(Feel, APauseHoldsTheSwapsMotionTheRisingNumbersAndTheHintsWait) {
  load_course(SCORING + "\tswapSeconds 0.15\n\thintSeconds 1\n\tpauseKeys true\n\tpauseLabel label\n", false,
              {"combo"}, POPUP_AND_COMBO, NO_PARTICLES);
  swap_layout(0, 0);
  tick();
  swap("X", "A");
  tick(3);
  press_key('P');
  const b2Vec2 on_the_way = picture("X");
  tick(60);
  EXPECT_EQ(picture("X"), on_the_way);
  EXPECT_TRUE(has("X"));
  press_key('P');
  tick(8);
  EXPECT_FALSE(has("X"));
  ASSERT_EQ(popups(), 1);

  tick(5);
  press_key('P');
  tick();
  Video_Sprite* number = dynamic_cast<ScorePopup*>(scene->get_object("scorePopup1"))->_get__sprite_();
  const double y = number->_get_y();
  const float alpha = number->_get_alpha();
  testing::internal::CaptureStdout();
  tick(120);
  EXPECT_THAT(testing::internal::GetCapturedStdout(), Not(HasSubstr("INFO:Hint")));
  ASSERT_EQ(popups(), 1) << "held past its half second";
  EXPECT_EQ(number->_get_y(), y);
  EXPECT_EQ(number->_get_alpha(), alpha);
  press_key('P');
  tick(30);
  EXPECT_EQ(popups(), 0);
}

}  // namespace
