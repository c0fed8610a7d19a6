#include "game_fabrics.h"

#include "GameObjects/basestone/basestone.h"
#include "GameObjects/border/border.h"
#include "GameObjects/stone_particles/stone_particles.h"
#include "GameObjects/stoneemitter/stoneemitter.h"
#include "flow/score_table.h"
#include "physscene/physscene.h"
#include "voskar/fabric.h"

namespace {
SceneFabrics<PhysScene> phys_scene_fabric;
ObjectFabric<BaseStone> base_stone_fabric;
ObjectFabric<Border> border_fabric;
ObjectFabric<StoneEmitter> stone_emitter_fabric;
ObjectFabric<StoneParticles> stone_particles_fabric;
ObjectFabric<ScoreTable> score_table_fabric;
}  // namespace

void register_game_object_fabrics() {
  SceneObjectFabric::add_fabric("BaseStone", &base_stone_fabric);
  SceneObjectFabric::add_fabric("Border", &border_fabric);
  SceneObjectFabric::add_fabric("StoneEmitter", &stone_emitter_fabric);
  SceneObjectFabric::add_fabric("StoneParticles", &stone_particles_fabric);
  SceneObjectFabric::add_fabric("ScoreTable", &score_table_fabric);
}

SceneFabric* game_scene_fabric() { return &phys_scene_fabric; }
