// The game's course on a physics scene: running, paused, over. Off by default; the scene file's
// keys switch each part on.

#include <cstdlib>

#include "../GameObjects/basestone/basestone.h"
#include "../flow/best_scores.h"
#include "../game_log.h"
#include "carrow/config.h"
#include "olvane/video.h"
#include "panolet/numeric.h"
#include "panolet/ui.h"
#include "physscene.h"

namespace {
const long KEY_P = 'P';
}  // namespace

void PhysScene::read_flow_keys(Config_Interface* config) {
  auto value = [&](const char* key, const char* fallback) { return config->get_value(std::string("Scene->") + key, fallback); };
  FieldModel::Rules rules = field_model.get_rules();
  rules.line_set = !value("gameOverLine", "").empty() &&
                   read_scene_number(config, storage_file, "Scene->gameOverLine", &rules.line_y);
  read_scene_number(config, storage_file, "Scene->gameOverHold", &rules.hold_seconds);
  field_model.set_rules(rules);
  uint32_t line_colour = 0;
  read_scene_number(config, storage_file, "Scene->gameOverLineColor", &line_colour);
  uint32_t warning_colour = 0;
  read_scene_number(config, storage_file, "Scene->gameOverLineWarningColor", &warning_colour);
  line.set(video_name, name, rules.line_y, line_colour, warning_colour);
  flow.window = value("gameOverWindow", "");
  flow.score_object = value("scoreObject", "");
  flow.best_scores = tarnvale::read_flag(config, "", "Scene->bestScores");
  flow.player_setting = value("playerNameSetting", "");
  flow.rank_text = value("rankText", "Place {rank} among the best scores");
  read_scene_number(config, storage_file, "Scene->bestScoresMinimum", &flow.best_scores_minimum);
  flow.unranked_text = value("unrankedText", "");
  flow.pause_keys = tarnvale::read_flag(config, "", "Scene->pauseKeys");
  flow.pause_label = value("pauseLabel", "");
  flow.playing_setting = value("playingSetting", "");
  flow.cancel_selection = tarnvale::read_flag(config, "", "Scene->cancelSelection");
  flow.keyboard_cursor = tarnvale::read_flag(config, "", "Scene->keyboardCursor");
  uint32_t cursor_colour = 0;
  read_scene_number(config, storage_file, "Scene->cursorColor", &cursor_colour);
  cursor_glow.set(video_name, name, cursor_colour, "cursorGlow");
}

void PhysScene::start_game() {
  field_model.start();
  // The stones of a field loaded anew are new ones.
  cursor = nullptr;
  left_running = false;
  drawn_since_start = false;
  // The objects' clocks start now: what loading took does not count, or a refill timer loaded
  // early could fall on the first rows before they have left their places.
  delay_object_clocks(since_draw.get_elapsed_time_noreset());
  since_draw.reset();
  show_object(flow.window, false);
  show_object(flow.pause_label, false);
  if (!flow.playing_setting.empty()) ui_set_setting(flow.playing_setting, "1");
  game_feel.start();
}

// The key slot is there also before the scene's keys are read (a scene activated before it
// loads); it acts only with "Scene->pauseKeys" on.
void PhysScene::init_slots() {
  Scene::init_slots();
  const std::string slot = name + "->on_key_press";
  register_slot(slot, &key_press_slot);
  connect(video_name + "->keyboard_press", slot);
}

void PhysScene::deinit_slots() {
  const std::string slot = name + "->on_key_press";
  disconnect(video_name + "->keyboard_press", slot);
  unregister_slot(slot);
  Scene::deinit_slots();
}

bool PhysScene::slot__on_deactivate(SlotArgs* args) {
  // Whatever time passes in other scenes does not pass on this field.
  returning = true;
  // Leaving a running game (Menu) pauses it; coming back to it (Continue) resumes it. A game
  // that was never shown was not running for the player.
  if (!left_running && drawn_since_start && accepts_moves()) {
    left_running = true;
    rise("paused");
  }
  return Scene::slot__on_deactivate(args);
}

bool PhysScene::slot__on_key_press(SlotArgs* args) {
  if (!args || args->int_params.empty()) return false;
  const int64_t key = args->int_params[0];
  if (flow.keyboard_cursor && accepts_moves() && cursor_key(key)) return true;
  // Esc takes a selection back before it pauses.
  if (key == VKEY_ESC && flow.cancel_selection && cancel_selection()) return true;
  if (!flow.pause_keys || (key != VKEY_ESC && key != KEY_P)) return false;
  toggle_pause();
  return true;
}

void PhysScene::toggle_pause() {
  if (!field_model.toggle_pause()) return;
  const bool paused = get_play() == Play::PAUSED;
  show_object(flow.pause_label, paused);
  GAME_INFO((paused ? "Paused" : "Resumed"));
  rise(paused ? "paused" : "resumed");
}

void PhysScene::hold_clocks_while_still() {
  const double gap = since_draw.get_elapsed_time_noreset();
  since_draw.reset();
  const bool still = get_play() != Play::RUNNING || returning;
  returning = false;
  if (left_running) {
    left_running = false;
    rise("resumed");
  }
  // A slow frame simulates one step only; the field's timers count no more than that, so the
  // refill never outruns the falling stones on a slow machine.
  const double held = still ? gap : gap - 2 * time_step > 0 ? gap - time_step : 0;
  if (held <= 0) return;
  delay_object_clocks(held);
  game_feel.delay(held);
  // The world's step timer too, after a stand-still: a resumed field takes its next step a frame
  // later, as usual. A slow frame takes its one step anyway.
  if (still) frame_timer.postpone(held);
}

void PhysScene::delay_object_clocks(double seconds) {
  // Every frame while the field stands still: the names are read in place, not copied.
  for (const std::string& object_name : object_names)
    if (SceneObject* object = get_object(object_name)) object->delay_clocks(seconds);
}

void PhysScene::end_game(FieldEvent::Reason reason) { field_model.end(reason); }

void PhysScene::game_over(const FieldEvent& event) {
  if (event.reason == FieldEvent::Reason::PILE_OVER_LINE)
    GAME_INFO("The pile rested above the line for " << event.hold_seconds << " s");
  if (!event.stones.empty()) static_cast<BaseStone*>(event.stones.front())->set_blend(1.0f);
  game_feel.end();
  clear_effects();
  set_cursor(nullptr);
  const long score = event.score;
  GAME_INFO("Game over, score " << score);
  if (!flow.playing_setting.empty()) ui_set_setting(flow.playing_setting, "0");
  size_t rank = 0;
  if (flow.best_scores) {
    std::string player = flow.player_setting.empty() ? "" : ui_get_setting(flow.player_setting, "");
    rank = BestScores::enter(file_manager, player.empty() ? "Player" : player, score, flow.best_scores_minimum);
  }

  show_object(flow.pause_label, false);
  show_object(flow.window, true);
  std::string rank_line = flow.best_scores ? flow.unranked_text : "";
  if (rank > 0) {
    rank_line = flow.rank_text;
    const size_t at = rank_line.find("{rank}");
    if (at != std::string::npos) rank_line.replace(at, 6, std::to_string(rank));
  }
  Signal over(name + "->game_over");
  over.add_params(static_cast<int64_t>(score));
  over.add_params(static_cast<int64_t>(rank));
  over.add_params(rank_line);
  over.rise();
  if (rank > 0) rise("best_score", {static_cast<int64_t>(rank)});
}

long PhysScene::current_score() {
  Numeric* score = dynamic_cast<Numeric*>(flow.score_object.empty() ? nullptr : get_object(flow.score_object));
  return score ? score->_get_value() : 0;
}

void PhysScene::show_object(const std::string& object_name, bool shown) {
  if (object_name.empty()) return;
  if (SceneObject* object = get_object(object_name)) object->_set_show(shown);
}
