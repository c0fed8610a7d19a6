#pragma once
// The game's scene type "GameScene": a Scene with a Box2D world, the physics settings of the
// scene file, the walls of a level file and the stone selection of the two-click swap.

#include <box2d/box2d.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "field_model.h"
#include "game_feel.h"
#include "game_over_line.h"
#include "stone_glow.h"
#include "tarnvale/number_limits.h"
#include "tessim/time.h"
#include "voskar/scene.h"

class Config_Interface;
class SceneObject;

class BaseStone;

// The world is the scene scaled by 50 and shifted by one: world = (scene + 1) * 50.
constexpr float WORLD_SCALE = 50.0f;
constexpr double DEGREES_TO_RADIANS = 0.017453292519444445;
constexpr double RADIANS_TO_DEGREES = 57.29577951471995;

inline b2Vec2 scene_to_world(float x, float y) {
  return b2Vec2((x + 1.0f) * WORLD_SCALE, (y + 1.0f) * WORLD_SCALE);
}
inline float world_to_scene(float coordinate) { return coordinate / WORLD_SCALE - 1.0f; }

// What the game's bodies differ in; all of them are one box fixture.
struct BoxBodyDef {
  b2BodyType type = b2_staticBody;
  b2Vec2 position{0.0f, 0.0f};
  float angle = 0.0f;  // radians
  float half_width = 0.0f, half_height = 0.0f;  // world units
  float density = 0.0f, friction = 0.0f, restitution = 0.0f;
  uint16_t category = 0x0001, mask = 0xffff;
  bool fixed_rotation = false;
  bool bullet = false;
  void* user_data = nullptr;
};

b2Body* create_box_body(b2World* world, const BoxBodyDef& def);

// Frees the surface and the sprite that an image object made under its own name, so that objects
// that come and go do not pile pictures up in the driver.
void release_picture(const std::string& video_name, const std::string& name, const std::string& group);

// A number of the game scene's file (`key_path`, whose limits are those of `limit_key`) through
// the limits table: a bad one is reported and its default used; false when a bad one has no
// default and is ignored.
template <typename T>
bool read_scene_number(Config_Interface* config, const std::string& file, const std::string& key_path,
                       std::string_view limit_key, T* value) {
  double number = 0;
  const tarnvale::NumberLimit* limit = tarnvale::find_number_limit(limit_key);
  const bool read = limit && tarnvale::read_number(config, key_path, *limit, file, &number);
  *value = static_cast<T>(number);
  return read;
}
template <typename T>
bool read_scene_number(Config_Interface* config, const std::string& file, const std::string& key, T* value) {
  return read_scene_number(config, file, key, key, value);
}


class PhysScene : public Scene {
public:
  PhysScene();
  ~PhysScene() override;

  bool load_scene() override;
  bool draw() override;

  // One world step with the scene's settings, then the forces cleared. draw() calls it when a
  // step is due; tests call it to advance the world frame by frame.
  void step_world();

  b2World* get_world() const { return world; }
  float get_gravity_x() const { return gravity_x; }
  float get_gravity_y() const { return gravity_y; }
  float get_time_step() const { return time_step; }
  int get_velocity_iterations() const { return velocity_iterations; }
  int get_position_iterations() const { return position_iterations; }
  // "Scene->subSteps": the world steps this many times per frame, each time_step / sub_steps long.
  int get_sub_steps() const { return sub_steps; }
  std::string get_level_file() const { return level_file; }

  // The field's rules; the scene acts on what they report.
  FieldModel& field() { return field_model; }
  BaseStone* get_selected_stone() const;
  // A click on a stone: a running game passes it to the rules (with "Scene->cancelSelection" on,
  // a click on the selected stone cancels the selection).
  void stone_clicked(BaseStone* stone);
  // Clears the selection of a running game; whether there was one.
  bool cancel_selection();
  // With "Scene->cancelSelection" on, a press beside the stones or with the right button cancels
  // the selection; a right press does not select a stone either.
  bool slot__on_mouse_press(SlotArgs* args) override;
  // With "Scene->keyboardCursor" on, the stone the arrow keys moved the cursor to (null while it
  // shows on none); Space and Enter click it.
  BaseStone* get_cursor_stone() const { return cursor; }

  // The game's course on this field (game_flow.cpp). Every part of it is off unless the scene
  // file's keys switch it on; without them the game runs on as it always has.
  using Play = FieldModel::Play;
  Play get_play() const { return field_model.get_play(); }
  // Stones take clicks only while the game runs.
  bool accepts_moves() const { return get_play() == Play::RUNNING; }
  // Whether the game can end at all ("Scene->gameOverLine" given).
  bool can_end() const { return field_model.get_rules().line_set; }
  using Room = FieldModel::Room;
  Room room_at(float x, float y) const { return field_model.room_at(x, y); }
  // Pauses a running game, resumes a paused one (with "Scene->pauseKeys" on, Esc and P do it).
  void toggle_pause();
  // Ends the game: the field stands still, the score is entered in the best scores (with
  // "Scene->bestScores" on), the game-over window shows and "->game_over" is risen.
  void end_game(FieldEvent::Reason reason = FieldEvent::Reason::ENDED);
  bool slot__on_key_press(SlotArgs* args);
  bool slot__on_deactivate(SlotArgs* args) override;
  // Scoring, motion, pace and hints (game_feel.cpp).
  GameFeel& feel() { return game_feel; }
  void show_object(const std::string& object_name, bool shown);
  // The value of the score object ("Scene->scoreObject"); 0 without one.
  long current_score();

  // Takes a stone out of the game for good: selection, body (what rested on it wakes), scene,
  // slots and pictures, and deletes it. Also for a stone that never joined the scene.
  void dispose_stone(BaseStone* stone);
  // The burst of particles of a stone that leaves in a group, at the stone's last place.
  void burst(BaseStone* stone);

protected:
  void init_slots() override;
  void deinit_slots() override;
  // A stone's turn first asks the rules whether it goes; bursts and rising numbers that are
  // done go instead of drawing.
  void draw_object(SceneObject* object) override;

private:
  bool load_level();
  void on_field_event(const FieldEvent& event);
  void judge_swap(const FieldEvent& event);
  void clear_group(const FieldEvent& event);

  b2World* world;
  float gravity_x, gravity_y;
  float time_step;
  int velocity_iterations, position_iterations;
  int sub_steps;
  Time frame_timer;
  std::string level_file;

  // The keys of the game's course, read with the physics settings.
  struct FlowKeys {
    std::string window;            // "Scene->gameOverWindow": object shown at the end
    std::string score_object;      // "Scene->scoreObject": the Numeric holding the score
    bool best_scores = false;      // "Scene->bestScores"
    std::string player_setting;    // "Scene->playerNameSetting": UI setting with the name
    std::string rank_text;         // "Scene->rankText": {rank} stands for the place
    long best_scores_minimum = 0;  // "Scene->bestScoresMinimum": a lower score is not entered
    std::string unranked_text;     // "Scene->unrankedText": for a game that did not make the list
    bool pause_keys = false;       // "Scene->pauseKeys"
    std::string pause_label;       // "Scene->pauseLabel": object shown while paused
    std::string playing_setting;   // "Scene->playingSetting": "1" while a game runs
    bool cancel_selection = false;  // "Scene->cancelSelection"
    bool keyboard_cursor = false;   // "Scene->keyboardCursor"
  };
  void read_flow_keys(Config_Interface* config);
  // A fresh game: running, nothing above the line, the playing setting on.
  void start_game();
  void game_over(const FieldEvent& event);
  // An arrow key moves the cursor (the first shows it), Space or Enter clicks its stone; whether
  // the key was one of them.
  bool cursor_key(int64_t key);
  void set_cursor(BaseStone* stone);
  // Takes a burst or a rising number off the scene for good.
  void dispose_effect(SceneObject* effect);
  // Every burst and rising number goes: the field that stands still keeps none frozen.
  void clear_effects();
  // While the field stands still (paused, over, or just back from another scene) the objects'
  // clocks do not count the time; after a slow frame they count only the one step it simulated.
  void hold_clocks_while_still();
  void delay_object_clocks(double seconds);
  // Rises "<scene>-><name>" with the given whole numbers.
  void rise(const char* signal_name, std::initializer_list<int64_t> numbers = {}) const;

  FlowKeys flow;
  FieldModel field_model;
  GameOverLine line;
  // Time between two draws (from the start of loading until the game starts): while the game
  // stands still its objects' clocks are held.
  Time since_draw;
  bool returning;
  // The game was running when the scene was left (it is paused while away).
  bool left_running;
  bool drawn_since_start;
  // The stone whose turn it is left the field while the rules looked at it.
  bool stone_left;
  BaseStone* cursor;
  // Where the cursor shows first, and where it was when its stone went (world units).
  b2Vec2 cursor_place;
  StoneGlow cursor_glow;
  Slot<PhysScene> key_press_slot;
  GameFeel game_feel;
};
