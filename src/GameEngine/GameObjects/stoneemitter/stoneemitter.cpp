#include "stoneemitter.h"

#include <cstdio>
#include <cstdlib>

#include "../../game_fabrics.h"
#include "../../game_log.h"
#include "../../physscene/physscene.h"
#include "../basestone/basestone.h"
#include "carrow/config.h"
#include "voskar/object_from_data.h"

namespace {
const char* const START_EMIT = "StoneEmitter::startEmit";
// Stones that fail to load one after another before an emission gives up: a missing picture of
// one kind skips a stone now and then, a broken set of pictures must not loop for ever.
const int MAX_FAILURES_IN_A_ROW = 10;
// How many rows higher a batch may start when falling stones pass where it would go.
const int MAX_ROW_LIFTS = 8;
}  // namespace

StoneEmitter::StoneEmitter()
    : emit_slot(this, &StoneEmitter::slot__on_emit),
      stone_type_count(5),
      stone_width(0.0625f),
      emit_count(10),
      initial_emit(50),
      stone_height(0.0625f),
      width(1.0f),
      initial_done(false),
      file_manager(nullptr),
      emitted(0) {}

StoneEmitter::~StoneEmitter() = default;

bool StoneEmitter::load(Scene* scene, std::string storage_name, std::string storage_prefix, std::string scene_name,
                        std::string object_name, Brannow::FileManager* manager) {
  Config_Interface* config =
      begin_object_load(this, scene, storage_name, storage_prefix, scene_name, object_name, manager);
  if (!config) return false;

  const std::string p = storage_prefix + "StoneEmitter->";
  read_limited(config, "StoneEmitter->stoneTypeCount", &stone_type_count);
  stone_name = config->get_value(p + "stoneName", "");
  read_limited(config, "StoneEmitter->stoneWidth", &stone_width);
  read_limited(config, "StoneEmitter->emitCount", &emit_count);
  read_limited(config, "StoneEmitter->initialEmit", &initial_emit);
  read_limited(config, "StoneEmitter->stoneHeight", &stone_height);
  read_limited(config, "StoneEmitter->width", &width);

  const std::string slot_name = scene_name + "->" + object_name + "->emit";
  auto slots = _get__slot_map_();
  slots.push_back({slot_name, &emit_slot});
  _set__slot_map_(slots);
  // Reachable at once, also in a scene that is already active when it loads.
  register_slot(slot_name, &emit_slot);

  file_manager = manager;
  emitted = 0;
  print_slot_map();
  return true;
}

void StoneEmitter::draw() {
  if (!initial_done) startEmit(initial_emit);
}

bool StoneEmitter::slot__on_emit(SlotArgs*) {
  startEmit(emit_count);
  return false;
}

int StoneEmitter::startEmit(int count) {
  PhysScene* game = dynamic_cast<PhysScene*>(scene);
  // A game that is over gets no more stones.
  if (game && game->get_play() == PhysScene::Play::OVER) return 0;
  initial_done = true;
  calculate_position();
  const float x = _get_x(), y = _get_y();
  float row_y = y + stone_height;
  int i = 0;
  int failures = 0;
  const float first_x = x - width * 0.5f + stone_width, end_x = x + width * 0.5f + stone_width;
  // A row too narrow for even one stone would never fill the batch.
  const bool row_has_room = first_x < end_x;
  const bool can_end = game && game->can_end();
  // A row where a stone passes goes higher up: stones fall in from above anyway.
  auto passing = [&](float at_y) {
    for (float column_x = first_x; column_x < end_x; column_x += stone_width * 1.5f)
      if (game->room_at(column_x, at_y) == PhysScene::Room::PASSING) return true;
    return false;
  };
  while (i < count && row_has_room) {
    for (int lifts = 0; can_end && lifts < MAX_ROW_LIFTS && passing(row_y); ++lifts) row_y += stone_height * 3;
    for (float column_x = first_x; column_x < end_x && i < count; column_x += stone_width * 1.5f) {
      // In a game that can end, a stone with no room ends it.
      if (can_end && game->room_at(column_x, row_y) != PhysScene::Room::FREE) {
        GAME_INFO("No room for a new stone at " << column_x << ":" << row_y);
        game->end_game(FieldEvent::Reason::NO_ROOM);
        emitted += i;
        return i;
      }
      if (!emit_stone(emitted + i, column_x, row_y)) {
        ++failures;
        break;
      }
      failures = 0;
      ++i;
    }
    if (failures >= MAX_FAILURES_IN_A_ROW) {
      GAME_CRITICAL(START_EMIT, "Emission stopped: " << failures << " stones in a row failed to load; emitted " << i
                                                      << " of " << count);
      break;
    }
    row_y += stone_height * 3;
  }
  emitted += i;
  return i;
}

std::string StoneEmitter::free_stone_name(int number) const {
  // Another emitter of the scene numbers its stones from 0 as well: a number taken by a stone,
  // or by the burst of one that just left, goes to the next free one.
  std::string name = "Stone" + std::to_string(number);
  while (scene->get_object(name) || scene->get_object(name + "particles")) name = "Stone" + std::to_string(++number);
  return name;
}

bool StoneEmitter::emit_stone(int number, float column_x, float row_y) {
  const std::string name = free_stone_name(number);
  GAME_INFO("Emitting object " << name.substr(5) << " at " << column_x << ":" << row_y);
  GAME_INFO("Stone size:" << stone_width << ":" << stone_height);
  const int type = stone_type_count > 0 ? rand() % stone_type_count : 0;
  return place_stone(name, type, column_x, row_y) != nullptr;
}

BaseStone* StoneEmitter::place_stone(const std::string& name, int type, float x, float y) {
  // A second stone under a taken name would take over the first one's picture and slots.
  if (scene->get_object(name)) {
    GAME_CRITICAL(START_EMIT, "A stone named " << name << " is in the scene already");
    return nullptr;
  }
  char image[32];
  std::snprintf(image, sizeof(image), "%d.png", type);
  const StonePlacement placement{type, stone_name + image, x, y, (rand() % 1000) * 0.001f};
  // The stone's common keys are the scene's, under the scene's name; the emitter decides the rest.
  const std::string scene_name = _get__scene_name_();
  const ObjectOrigin origin{scene, _get__video_name_(), _get__storage_name_(), scene_name, scene_name, name,
                            file_manager};
  const MadeObject made = make_object_of<BaseStone>("BaseStone", origin, [&](BaseStone* placed) {
    return placed->load_placed(placement, file_manager);
  });
  std::string failure;
  auto* stone = made_for_field<BaseStone>(made, " BaseStone object not found", &failure);
  if (!stone) {
    GAME_CRITICAL(START_EMIT, failure);
    return nullptr;
  }
  stone->_set_show(true);
  scene->add_object(name, stone, 0);
  return stone;
}
