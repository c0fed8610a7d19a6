#pragma once
// The program's fabrics: one instance of each for the whole process.

class SceneFabric;

// Registers "BaseStone", "Border", "StoneEmitter", "StoneParticles" and "ScoreTable", in this
// order; names registered before keep their first fabric.
void register_game_object_fabrics();

// The fabric of the scene type "GameScene".
SceneFabric* game_scene_fabric();
