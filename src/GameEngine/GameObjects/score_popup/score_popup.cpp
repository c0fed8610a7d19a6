#include "score_popup.h"

#include <algorithm>

#include "../../physscene/physscene.h"
#include "carrow/config.h"
#include "olvane/video.h"
#include "voskar/scene.h"

ScorePopup::ScorePopup() : life_time(1.0f), rise(0.15f), hold_time(0.0f), start_x(0), start_y(0) {}

ScorePopup::~ScorePopup() = default;

bool ScorePopup::show_at(Scene* game, const std::string& prefix, const std::string& object_name,
                         const std::string& shown, float at_x, float at_y) {
  const std::string scene_name = game->get_name();
  set_video_name(game->get_video_name());
  if (!Text::load(game, scene_name, prefix, scene_name, object_name, nullptr)) return false;
  Config_Interface* config = config_get_interface(scene_name);
  const std::string file = game->get_storage_file();
  read_scene_number(config, file, prefix + "ScorePopup->lifeTime", "ScorePopup->lifeTime", &life_time);
  read_scene_number(config, file, prefix + "ScorePopup->rise", "ScorePopup->rise", &rise);
  read_scene_number(config, file, prefix + "ScorePopup->holdTime", "ScorePopup->holdTime", &hold_time);
  text = shown;
  if (!Text::real_load(game, scene_name, prefix, scene_name, object_name, nullptr)) return false;
  start_x = at_x;
  start_y = at_y;
  show = true;
  timer.reset();
  return true;
}

void ScorePopup::draw() {
  const float elapsed = static_cast<float>(timer.get_elapsed_time_noreset());
  Video_Interface* video = video_get_interface(_video_name_);
  if (!video || !_sprite_) return;
  const float share = elapsed / life_time;
  place_on_pixel_grid(video, _sprite_, start_x, start_y + rise * share);
  // Fully opaque for the hold time, then fading out over the rest of the life time.
  const float fading = life_time > hold_time ? (elapsed - hold_time) / (life_time - hold_time) : 1.0f;
  _sprite_->_set_alpha(1.0f - std::clamp(fading, 0.0f, 1.0f));
  video->_draw_sprite(_sprite_);
}
