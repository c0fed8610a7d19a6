#pragma once
// The frame rate of its scene as text: it counts the scene's new-cycle signals and, once two
// whole seconds of calendar time have passed, renders count / seconds with one decimal.
// With "FPSCounter->show_setting" it is shown only while that UI setting is "1", read when its
// scene is loaded and each time the scene comes back.
// With "FPSCounter->last_second" true it shows instead, once a second on a steady clock, how many
// frames it drew in the last second; the count starts afresh when its scene comes back, so a
// pause or another scene leaves no stale frames in it.

#include <cstdint>
#include <deque>
#include <string>

#include "panolet/baseuiobject.h"
#include "twinkel/signals.h"

class FPSCounter : public BaseUIObject {
public:
  FPSCounter();
  FPSCounter(const FPSCounter& other);
  FPSCounter& operator=(const FPSCounter& other);
  ~FPSCounter() override;

  virtual bool slot__on_new_frame(SlotArgs* args);

  bool load(Scene* scene, std::string storage_name, std::string storage_prefix,
            std::string scene_name, std::string object_name,
            Brannow::FileManager* file_manager) override;
  void draw() override;
  bool slot__on_scene_reinit(SlotArgs* args) override;

  bool real_load(Scene* scene, std::string storage_name, std::string storage_prefix,
                 std::string scene_name, std::string object_name,
                 Brannow::FileManager* file_manager);
  bool _on_new_frame_handler();

  int32_t _get_frames_count_limit() { return frames_count_limit; }
  void _set_frames_count_limit(int32_t value) { frames_count_limit = value; }
  int32_t _get_current_frame() { return current_frame; }
  void _set_current_frame(int32_t value) { current_frame = value; }
  uint32_t _get_last_time() { return last_time; }
  void _set_last_time(uint32_t value) { last_time = value; }
  std::string _get_text() { return text; }
  void _set_text(std::string value) { text = value; }
  std::string _get_show_setting() { return show_setting; }

  // The calendar clock in whole seconds; tests replace it to measure known windows.
  static uint32_t (*clock)();
  // Seconds on a steady clock, for the last second's count; tests replace it.
  static double (*steady_clock)();

protected:
  void apply_show_setting();
  // The last second's count; true when the text changed.
  bool count_last_second();
  bool render_rate(Video_Interface* video);

  std::string renderer_type, font;
  uint32_t font_color;
  int32_t font_size;
  int32_t frames_count_limit;
  int32_t current_frame;
  uint32_t last_time;
  std::string text;
  std::string show_setting;
  bool last_second = false;
  std::deque<double> frame_times;  // of the frames drawn in the last second
  double shown_at = -1;            // when the text was last made; below 0: not since the scene came back

private:
  Slot<FPSCounter> slot_new_frame;
};
