#pragma once
// A crafted field for whole-program tests: six thin sticks in one row without gravity, each
// lying face to face with the next, so that they stay where the emitter puts them and a seed
// decides their kinds.

#include <string>
#include <vector>

namespace game_test {

const int STICKS = 6;
const int KINDS = 3;
const float FIRST_X = -0.1122876f, STEP_X = 0.0565686f, ROW_Y = 0.1f;

// The crafted scene; scene_keys and sections go into it as they are.
std::string crafted_scene(const std::string& scene_keys = "", const std::string& sections = "");
// The kinds the program draws with a seed: one rand() for the kind, one for the density.
std::vector<int> kinds_for(unsigned seed);
bool has_triple(const std::vector<int>& kinds);
// A seed whose row has no group yet, and the first of two neighbours whose swap makes one.
void seed_with_a_swap(unsigned* seed, int* swap_at);
inline float stick_x(int i) { return FIRST_X + i * STEP_X; }

}  // namespace game_test
