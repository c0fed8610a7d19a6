#include "panolet/fpscounter.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "panolet/ui.h"
#include "tarnvale/number_limits.h"
#include "scrivet/textrenderer.h"

static uint32_t calendar_seconds() { return static_cast<uint32_t>(std::time(nullptr)); }

static double steady_seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

uint32_t (*FPSCounter::clock)() = calendar_seconds;
double (*FPSCounter::steady_clock)() = steady_seconds;

FPSCounter::FPSCounter()
    : font_color(0), font_size(0), frames_count_limit(150), current_frame(0), last_time(0),
      slot_new_frame(this, &FPSCounter::slot__on_new_frame) {}

// The copy's slot calls the copy.
FPSCounter::FPSCounter(const FPSCounter& other)
    : SceneObject(other), BaseUIObject(other), renderer_type(other.renderer_type),
      font(other.font), font_color(other.font_color), font_size(other.font_size),
      frames_count_limit(other.frames_count_limit), current_frame(other.current_frame),
      last_time(other.last_time), text(other.text), show_setting(other.show_setting),
      last_second(other.last_second), frame_times(other.frame_times), shown_at(other.shown_at),
      slot_new_frame(this, &FPSCounter::slot__on_new_frame) {
  repoint_slot(&other.slot_new_frame, &slot_new_frame);
}

FPSCounter& FPSCounter::operator=(const FPSCounter& other) {
  if (this == &other) return *this;
  BaseUIObject::operator=(other);
  repoint_slot(&other.slot_new_frame, &slot_new_frame);
  renderer_type = other.renderer_type;
  font = other.font;
  font_color = other.font_color;
  font_size = other.font_size;
  frames_count_limit = other.frames_count_limit;
  current_frame = other.current_frame;
  last_time = other.last_time;
  text = other.text;
  show_setting = other.show_setting;
  last_second = other.last_second;
  frame_times = other.frame_times;
  shown_at = other.shown_at;
  return *this;
}

FPSCounter::~FPSCounter() = default;

bool FPSCounter::slot__on_new_frame(SlotArgs*) { return _on_new_frame_handler(); }

bool FPSCounter::_on_new_frame_handler() {
  ++current_frame;
  return false;
}

bool FPSCounter::load(Scene* scene, std::string storage_name, std::string storage_prefix,
                      std::string scene_name, std::string object_name,
                      Brannow::FileManager* file_manager) {
  Config_Interface* config =
      load_base(scene, storage_name, storage_prefix, scene_name, object_name, file_manager);
  if (!config) return false;
  read_limited(config, "FPSCounter->frames_count_limit", &frames_count_limit);
  show_setting = config->get_value(storage_prefix + "FPSCounter->show_setting", "");
  last_second = tarnvale::read_flag(config, storage_prefix, "FPSCounter->last_second");
  const std::string slot = scene_name + "->" + object_name + "->_on_new_frame";
  _slot_map_.emplace_back(slot, &slot_new_frame);
  register_slot(slot, &slot_new_frame);

  read_text_style("", &font, &font_color, &font_size, &renderer_type);
  apply_show_setting();
  return FPSCounter::real_load(scene, storage_name, storage_prefix, scene_name, object_name,
                               file_manager);
}

bool FPSCounter::real_load(Scene*, std::string, std::string, std::string scene_name,
                           std::string object_name, Brannow::FileManager*) {
  last_time = 0;
  connect(scene_name + "->new_cycle", scene_name + "->" + object_name + "->_on_new_frame");
  return true;
}

bool FPSCounter::slot__on_scene_reinit(SlotArgs* args) {
  apply_show_setting();
  // Frames of an earlier visit are not this one's.
  current_frame = 0;
  last_time = 0;
  frame_times.clear();
  shown_at = -1;
  // Deactivating the scene dropped the counting link with the slot; it comes back here.
  connect(_scene_name_ + "->new_cycle", slot_name("_on_new_frame"));
  return SceneObject::slot__on_scene_reinit(args);
}

void FPSCounter::apply_show_setting() {
  if (!show_setting.empty()) show = ui_get_setting(show_setting, "0") == "1";
}

bool FPSCounter::count_last_second() {
  const double now = steady_clock();
  frame_times.push_back(now);
  while (frame_times.front() <= now - 1) frame_times.pop_front();
  if (shown_at < 0) shown_at = now;
  if (now - shown_at < 1) return false;
  shown_at = now;
  text = " " + std::to_string(frame_times.size());
  return true;
}

bool FPSCounter::render_rate(Video_Interface* video) {
  Text_Renderer* renderer = textrenderer_get(renderer_type);
  if (!renderer) {
    _set_error("Can't get renderer:" + textrenderer_error());
    return false;
  }
  return render_label(video, renderer, text, font, font_color, font_size);
}

void FPSCounter::draw() {
  Video_Interface* video = video_get_interface(_video_name_);
  if (!video) {
    _set_error("Can't get video interface:" + video_error());
    return;
  }
  if (last_second) {
    if (count_last_second() && !render_rate(video)) return;
    video->_draw_sprite(_object_name_, _scene_name_);
    return;
  }
  if (last_time == 0) last_time = clock();
  const uint32_t now = clock();
  if (now > last_time + 1) {
    const uint32_t t = clock();
    const double rate = current_frame / static_cast<double>(static_cast<uint32_t>(t - last_time));
    char formatted[20];
    std::snprintf(formatted, sizeof formatted, " %.1f", rate);
    text = formatted;
    current_frame = 0;
    last_time = t;
    if (!render_rate(video)) return;
  }
  video->_draw_sprite(_object_name_, _scene_name_);
}
