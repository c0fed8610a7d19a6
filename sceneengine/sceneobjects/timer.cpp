#include "voskar/timer.h"

#include <cfloat>
#include <cstdlib>

#include "tarnvale/number_limits.h"
#include "voskar/object_from_data.h"


Timer::Timer()
    : slot_new_cycle(this, &Timer::slot__on_new_cycle), repeat(false), time(1.0f) {}

Timer::Timer(const Timer& other)
    : SceneObject(other),
      slot_new_cycle(this, &Timer::slot__on_new_cycle),
      time_out_signal(other.time_out_signal),
      repeat(other.repeat),
      time(other.time),
      timer(other.timer) {
  for (auto& entry : _slot_map_)
    if (entry.second == &other.slot_new_cycle) entry.second = &slot_new_cycle;
}

Timer& Timer::operator=(const Timer& other) {
  if (this == &other) return *this;
  SceneObject::operator=(other);
  time_out_signal = other.time_out_signal;
  repeat = other.repeat;
  time = other.time;
  timer = other.timer;
  for (auto& entry : _slot_map_)
    if (entry.second == &other.slot_new_cycle) entry.second = &slot_new_cycle;
  return *this;
}

Timer::~Timer() = default;

bool Timer::load(Scene* scene, std::string storage_name, std::string storage_prefix,
                 std::string scene_name, std::string object_name,
                 Brannow::FileManager* file_manager) {
  // The new-cycle slot goes into the slot map before the base load registers the map, so it is
  // known by name at once; a scene activated before it is loaded (the first scene of the run
  // loop) would otherwise never register it and the timer would never fire.
  const std::string object_path = scene_name + "->" + object_name;
  _slot_map_.emplace_back(object_path + "->_on_new_cycle", &slot_new_cycle);
  Config_Interface* config = begin_object_load(this, scene, storage_name, storage_prefix, scene_name,
                                       object_name, file_manager);
  if (config == nullptr) return false;
  repeat = tarnvale::read_flag(config, storage_prefix, "Timer->repeat");
  read_limited(config, "Timer->time", &time);
  time_out_signal.set_name(object_path + "->time_out");
  return real_load(scene, storage_name, storage_prefix, scene_name, object_name, file_manager);
}

bool Timer::real_load(Scene*, std::string, std::string, std::string, std::string,
                      Brannow::FileManager*) {
  timer.reset();
  return true;
}

void Timer::draw() {}

bool Timer::slot__on_new_cycle(SlotArgs*) { return _on_new_cycle_handler(); }

bool Timer::_on_new_cycle_handler() {
  const float elapsed = static_cast<float>(timer.get_elapsed_time_noreset());
  // Written so that a NaN time never fires.
  if (!(elapsed >= time)) return false;
  if (!repeat) time = FLT_MAX;
  timer.reset();
  rise_time_out(elapsed);
  return false;
}

void Timer::rise_time_out(float elapsed) {
  time_out_signal.clear_params();
  time_out_signal.add_params(elapsed);
  time_out_signal.rise();
}
