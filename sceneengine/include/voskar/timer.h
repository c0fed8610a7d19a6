#pragma once
// An invisible object that rises "<scene>-><object>->time_out" once, or every time, a set number
// of seconds has passed. It checks the clock in its "_on_new_cycle" slot, which the scene file
// wires to the scene's "new_cycle" signal.

#include <string>

#include "brannow/brannow.h"
#include "tessim/time.h"
#include "twinkel/signals.h"
#include "voskar/sceneobject.h"

class Scene;

class Timer : public virtual SceneObject {
public:
  Timer();
  // Copies every field; the copy's new-cycle slot calls the copy.
  Timer(const Timer& other);
  Timer& operator=(const Timer& other);
  ~Timer() override;

  bool load(Scene* scene, std::string storage_name, std::string storage_prefix,
            std::string scene_name, std::string object_name,
            Brannow::FileManager* file_manager) override;
  void draw() override;
  void delay_clocks(double seconds) override { timer.postpone(seconds); }

  virtual bool slot__on_new_cycle(SlotArgs* args);
  // Rises the time-out when the time is up; always false, so other slots of the cycle run too.
  bool _on_new_cycle_handler();

  bool real_load(Scene* scene, std::string storage_name, std::string storage_prefix,
                 std::string scene_name, std::string object_name,
                 Brannow::FileManager* file_manager);

  bool _get_repeat() { return repeat; }
  void _set_repeat(bool value) { repeat = value; }
  float _get_time() { return time; }
  void _set_time(float value) { time = value; }
  Time _get_timer() { return timer; }
  void _set_timer(Time value) { timer = value; }

protected:
  // Rises the time-out signal with the elapsed seconds as its one float parameter.
  void rise_time_out(float elapsed);

  Slot<Timer> slot_new_cycle;
  Signal time_out_signal;
  bool repeat;
  float time;  // seconds from the last reset to the time-out
  Time timer;
};
