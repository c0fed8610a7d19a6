#include "score_table.h"

#include <cstdlib>
#include <sstream>

#include "../physscene/physscene.h"
#include "best_scores.h"
#include "carrow/config.h"
#include "olvane/video.h"
#include "panolet/ui.h"
#include "scrivet/textrenderer.h"
#include "voskar/object_from_data.h"

ScoreTable::ScoreTable()
    : renderer_type("ttf"), font_size(20), color(0xffffffffu), row_height(0.1f), columns{-0.6f, -0.5f, 0.35f, 0.45f},
      minimum_score(0), files(nullptr) {}

ScoreTable::~ScoreTable() { release_cells(); }

bool ScoreTable::load(Scene* scene, std::string storage_name, std::string storage_prefix, std::string scene_name,
                      std::string object_name, Brannow::FileManager* file_manager) {
  Config_Interface* config =
      begin_object_load(this, scene, storage_name, storage_prefix, scene_name, object_name, file_manager);
  if (!config) return false;
  auto value = [&](const char* key, const char* fallback) {
    return config->get_value(storage_prefix + "ScoreTable->" + key, fallback);
  };
  renderer_type = value("renderer_type", "ttf");
  font = value("font", "");
  read_limited(config, "ScoreTable->font_size", &font_size);
  read_limited(config, "ScoreTable->color", &color);
  read_limited(config, "ScoreTable->row_height", &row_height);
  std::istringstream offsets(value("columns", "-0.6 -0.5 0.35 0.45"));
  for (float& column : columns) offsets >> column;
  empty_text = value("empty_text", "");
  score_setting = value("score_setting", "");
  player_setting = value("player_setting", "");
  read_limited(config, "ScoreTable->minimum_score", &minimum_score);
  files = file_manager;
  refresh();
  return true;
}

bool ScoreTable::slot__on_scene_reinit(SlotArgs* args) {
  refresh();
  return SceneObject::slot__on_scene_reinit(args);
}

void ScoreTable::enter_ended_game() {
  if (score_setting.empty()) return;
  const std::string score = ui_get_setting(score_setting, "");
  if (score.empty()) return;
  // Cleared first: a game is entered once, however often the table reads the scores again.
  ui_set_setting(score_setting, "");
  char* end = nullptr;
  const long value = std::strtol(score.c_str(), &end, 10);
  if (end == score.c_str() || *end != '\0') return;
  const std::string player = player_setting.empty() ? "" : ui_get_setting(player_setting, "");
  BestScores::enter(files, player.empty() ? "Player" : player, value, minimum_score);
}

void ScoreTable::refresh() {
  enter_ended_game();
  release_cells();
  rows_.clear();
  BestScores best(files);
  best.load();
  for (size_t i = 0; i < best.entries().size(); ++i) {
    const ScoreEntry& entry = best.entries()[i];
    rows_.push_back({std::to_string(i + 1) + ".", entry.name, std::to_string(entry.score), entry.date});
  }
  calculate_position();
  if (rows_.empty()) {
    if (!empty_text.empty()) render_cell(empty_text, 0.0f, 0.0f, 0.5f);
    return;
  }
  // The place and the score line up on their right edges, the name and the date on their left.
  const float x_bases[4] = {1.0f, 0.0f, 1.0f, 0.0f};
  for (size_t row = 0; row < rows_.size(); ++row)
    for (size_t column = 0; column < 4; ++column)
      render_cell(rows_[row][column], columns[column], -row_height * static_cast<float>(row), x_bases[column]);
}

bool ScoreTable::render_cell(const std::string& text, float x_offset, float y_offset, float x_base) {
  if (text.empty()) return true;
  Video_Interface* video = video_get_interface(_get__video_name_());
  Text_Renderer* renderer = textrenderer_get(renderer_type);
  if (!video || !renderer) {
    _set_error("Can't get renderer \"" + renderer_type + "\" or video");
    return false;
  }
  const std::string name = _get__object_name_() + "cell" + std::to_string(cells.size());
  VideoColor video_color;
  video_color.set_color(static_cast<int>(color >> 24), static_cast<int>((color >> 16) & 0xff),
                        static_cast<int>((color >> 8) & 0xff), static_cast<int>(color & 0xff));
  if (!renderer->render_text(_get__video_name_(), font, text, video_color, font_size, name, _get__scene_name_(), true) ||
      !video->_create_sprite(name, _get__scene_name_(), name, _get__scene_name_(), true)) {
    _set_error("Can't render \"" + text + "\": " + renderer->get_error() + video->_get_error());
    return false;
  }
  if (Video_Sprite* sprite = video->_get_sprite(name, _get__scene_name_())) sprite->_set_base_point(x_base, 0.5);
  cells.push_back({name, x_offset, y_offset});
  return true;
}

void ScoreTable::release_cells() {
  for (const Cell& cell : cells) release_picture(_get__video_name_(), cell.sprite, _get__scene_name_());
  cells.clear();
}

void ScoreTable::draw() {
  Video_Interface* video = video_get_interface(_get__video_name_());
  if (!video) return;
  calculate_position();
  const std::string scene_name = _get__scene_name_();
  for (const Cell& cell : cells) {
    Video_Sprite* sprite = video->_find_sprite(cell.sprite, scene_name);
    if (!sprite) continue;
    sprite->_set_coord(_get_x() + cell.x, _get_y() + cell.y);
    video->_draw_sprite(sprite);
  }
}
