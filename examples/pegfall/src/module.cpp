// The game module's one export: the peg field, the peg and the ball with their table entries.
#include <voskar/game_module.h>

#include "ball.h"
#include "peg.h"
#include "peg_field.h"

namespace {
SceneFabrics<PegField> field_fabric;
ObjectFabric<Peg> peg_fabric;
ObjectFabric<Ball> ball_fabric;
}  // namespace

extern "C" bool _register_game_module(GameModuleRegistrar* registrar) {
  using K = ValueKind;
  registrar->add_scene_type(
      {"PegField", true, {"generic"},
       "A field of pegs in a Box2D world: a press drops the ball where the player aims.",
       {{"Scene->gravity", "-30", K::real, "downward pull in metres a second squared", -1000, 0},
        {"Scene->balls", "5", K::whole, "balls a game has", 1, 100},
        {"Scene->bonus_pegs", "5", K::whole, "pegs lit in one drop that count twice", 1, 1000},
        {"Scene->game_over_scene", "exit", K::scene, "the scene after the last ball"},
        {"Scene->score_setting", "", K::text, "UI setting the game's score is left in at its end"}},
       {}, {}, {"score", "balls"}},
      &field_fabric);
  registrar->add_object_type(
      {"Peg", false, {"Image"}, "A peg: lit when the ball touches it, gone when the ball leaves.",
       {{"Peg->radius", "0.03", K::real, "radius in scene heights (y units)", 0.001, 1}}, {}, {}, {}},
      &peg_fabric);
  registrar->add_object_type(
      {"Ball", false, {"Image"}, "The ball, dropped from its height at the pointer's x.",
       {{"Ball->radius", "0.03", K::real, "radius in scene heights (y units)", 0.001, 1}}, {}, {}, {}},
      &ball_fabric);
  return true;
}
