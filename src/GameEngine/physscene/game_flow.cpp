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
// Slower than this a stone is resting on the pile, not falling (world units per second). A
// stone dropped from rest passes it within three steps.
const float RESTING_SPEED = 2.0f;
const char* const LINE_NAME = "gameOverLine";
const int LINE_THICKNESS = 2;  // pixels
const long KEY_P = 'P';

bool yes(const std::string& value) { return value == "true"; }

// Slow and touching: on the pile, not falling, flying or just placed.
bool rests_on_something(b2Body* body) {
  if (body->GetLinearVelocity().Length() >= RESTING_SPEED) return false;
  for (b2ContactEdge* edge = body->GetContactList(); edge; edge = edge->next)
    if (edge->contact->IsTouching()) return true;
  return false;
}
}  // namespace

void PhysScene::read_flow_keys(Config_Interface* config) {
  auto value = [&](const char* key, const char* fallback) { return config->get_value(std::string("Scene->") + key, fallback); };
  const std::string line = value("gameOverLine", "");
  flow.line_set = !line.empty();
  flow.line_y = static_cast<float>(atof(line.c_str()));
  flow.hold_seconds = static_cast<float>(atof(value("gameOverHold", "2").c_str()));
  flow.line_color = static_cast<uint32_t>(strtoul(value("gameOverLineColor", "0xffffff40").c_str(), nullptr, 0));
  flow.window = value("gameOverWindow", "");
  flow.score_object = value("scoreObject", "");
  flow.best_scores = yes(value("bestScores", "false"));
  flow.player_setting = value("playerNameSetting", "");
  flow.rank_text = value("rankText", "Place {rank} among the best scores");
  flow.pause_keys = yes(value("pauseKeys", "false"));
  flow.pause_label = value("pauseLabel", "");
  flow.playing_setting = value("playingSetting", "");
}

void PhysScene::start_game() {
  play = Play::RUNNING;
  seconds_above_line = 0;
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
  return Scene::slot__on_deactivate(args);
}

bool PhysScene::slot__on_key_press(SlotArgs* args) {
  if (!flow.pause_keys || !args || args->int_params.empty()) return false;
  const int64_t key = args->int_params[0];
  if (key != VKEY_ESC && key != KEY_P) return false;
  toggle_pause();
  return true;
}

void PhysScene::toggle_pause() {
  if (play == Play::OVER) return;
  play = play == Play::RUNNING ? Play::PAUSED : Play::RUNNING;
  show_object(flow.pause_label, play == Play::PAUSED);
  GAME_INFO((play == Play::PAUSED ? "Paused" : "Resumed"));
}

void PhysScene::hold_clocks_while_still() {
  const double gap = since_draw.get_elapsed_time_noreset();
  since_draw.reset();
  const bool still = play != Play::RUNNING || returning;
  returning = false;
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

void PhysScene::watch_pile() {
  if (!flow.line_set || play != Play::RUNNING) return;
  bool resting_above = false;
  for (b2Body* body = world->GetBodyList(); body && !resting_above; body = body->GetNext()) {
    if (!stone_of(body) || body->GetType() != b2_dynamicBody) continue;
    resting_above = world_to_scene(body->GetPosition().y) > flow.line_y &&
                    body->GetLinearVelocity().Length() < RESTING_SPEED;
  }
  seconds_above_line = resting_above ? seconds_above_line + time_step : 0;
  if (seconds_above_line < flow.hold_seconds) return;
  GAME_INFO("The pile rested above the line for " << flow.hold_seconds << " s");
  end_game();
}

void PhysScene::end_game() {
  if (play == Play::OVER) return;
  play = Play::OVER;
  if (BaseStone* selected = get_selected_stone()) {
    set_selected_stone(nullptr);
    if (Video_Sprite* sprite = selected->_get__sprite_()) sprite->_set_blend_color(1, 1, 1);
  }
  game_feel.end();
  const long score = current_score();
  GAME_INFO("Game over, score " << score);
  if (!flow.playing_setting.empty()) ui_set_setting(flow.playing_setting, "0");
  const size_t rank = flow.best_scores ? enter_best_scores(score) : 0;

  show_object(flow.pause_label, false);
  show_object(flow.window, true);
  std::string rank_line;
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
}

long PhysScene::current_score() {
  Numeric* score = dynamic_cast<Numeric*>(flow.score_object.empty() ? nullptr : get_object(flow.score_object));
  return score ? score->_get_value() : 0;
}

size_t PhysScene::enter_best_scores(long score) {
  BestScores best(file_manager);
  best.load();
  std::string player = flow.player_setting.empty() ? "" : ui_get_setting(flow.player_setting, "");
  if (player.empty()) player = "Player";
  const size_t rank = best.add(player, score, BestScores::today());
  if (rank > 0) best.save();
  return rank;
}

void PhysScene::show_object(const std::string& object_name, bool shown) {
  if (object_name.empty()) return;
  if (SceneObject* object = get_object(object_name)) object->_set_show(shown);
}

PhysScene::Room PhysScene::room_at(float x, float y) {
  if (!world) return Room::FREE;
  const b2Vec2 point = scene_to_world(x, y);
  Room room = Room::FREE;
  for (b2Body* body = world->GetBodyList(); body && room != Room::TAKEN; body = body->GetNext()) {
    // Stones and walls take room; particles fly through and are gone in a moment.
    if (!stone_of(body) && body->GetType() != b2_staticBody) continue;
    for (b2Fixture* fixture = body->GetFixtureList(); fixture; fixture = fixture->GetNext()) {
      if (!fixture->TestPoint(point)) continue;
      room = body->GetType() != b2_dynamicBody || rests_on_something(body) ? Room::TAKEN : Room::PASSING;
      break;
    }
  }
  return room;
}

void PhysScene::draw_game_over_line() {
  // The game-over window stands over the field then; the line would cross it.
  if (!flow.line_set || play == Play::OVER) return;
  Video_Interface* video = video_get_interface(video_name);
  if (!video) return;
  if (!video->_get_sprite(LINE_NAME, name)) {
    // A thin strip across the field in the line's colour, made once.
    const int line_width = width > 0 ? width : video->_get_width();
    if (!video->_create_surface(line_width, LINE_THICKNESS, LINE_NAME, name, true)) return;
    Video_Surface* surface = video->_get_surface(LINE_NAME, name);
    if (!surface || !surface->_get_surface_data() || surface->_get_bpp() != 4) return;
    const unsigned char rgba[4] = {static_cast<unsigned char>(flow.line_color >> 24),
                                   static_cast<unsigned char>(flow.line_color >> 16),
                                   static_cast<unsigned char>(flow.line_color >> 8),
                                   static_cast<unsigned char>(flow.line_color)};
    auto* pixels = static_cast<unsigned char*>(surface->_get_surface_data());
    for (int row = 0; row < surface->_get_height(); ++row)
      for (int column = 0; column < surface->_get_width(); ++column)
        for (int byte = 0; byte < 4; ++byte) pixels[row * surface->_get_pitch() + column * 4 + byte] = rgba[byte];
    surface->_set_alpha_status(ALPHA_BLENDED);
    surface->_update();
    if (!video->_create_sprite(LINE_NAME, name, LINE_NAME, name, true)) return;
    Video_Sprite* sprite = video->_get_sprite(LINE_NAME, name);
    if (!sprite) return;
    sprite->_set_base_point(0.5, 0.5);
    sprite->_set_coord(0.0, flow.line_y);
  }
  video->_draw_sprite(LINE_NAME, name);
}
