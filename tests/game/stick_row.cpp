#include "stick_row.h"

#include <cstdlib>
#include <utility>

namespace game_test {

std::string crafted_scene(const std::string& scene_keys, const std::string& sections) {
  return "[Scene]\n\tshow_mouse_cursor 1\n\tlevel res/game/no_walls.lvl\n" + scene_keys +
         "\t[Objects]\n\t\t[Object0]\n\t\t\tname emitter\n\t\t[/]\n\t[/]\n[/]\n"
         "[Objects]\n\t[emitter]\n\t\ttype StoneEmitter\n"
         "\t\t[StoneEmitter]\n\t\t\tstoneName " TARNVALE_TEST_DATA "/game/stick\n"
         "\t\t\tstoneTypeCount 3\n\t\t\tstoneWidth 0.0377124\n\t\t\tstoneHeight 0.1\n\t\t\twidth 0.3\n"
         "\t\t\tinitialEmit 6\n\t\t\temitCount 0\n\t\t[/]\n\t[/]\n[/]\n" + sections;
}

std::vector<int> kinds_for(unsigned seed) {
  srand(seed);
  std::vector<int> kinds;
  for (int i = 0; i < STICKS; ++i) {
    kinds.push_back(rand() % KINDS);
    rand();
  }
  return kinds;
}

bool has_triple(const std::vector<int>& kinds) {
  for (size_t i = 0; i + 2 < kinds.size(); ++i)
    if (kinds[i] == kinds[i + 1] && kinds[i + 1] == kinds[i + 2]) return true;
  return false;
}

void seed_with_a_swap(unsigned* seed, int* swap_at) {
  *swap_at = -1;
  for (unsigned candidate = 1; candidate < 1000; ++candidate) {
    std::vector<int> kinds = kinds_for(candidate);
    if (has_triple(kinds)) continue;
    for (int k = 0; k + 1 < STICKS; ++k) {
      std::swap(kinds[k], kinds[k + 1]);
      const bool makes = has_triple(kinds);
      std::swap(kinds[k], kinds[k + 1]);
      if (makes) {
        *seed = candidate;
        *swap_at = k;
        return;
      }
    }
  }
}

}  // namespace game_test
