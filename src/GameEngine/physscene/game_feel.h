#pragma once
// What makes the game feel like one, beside its rules: scores that reward cascades, rising
// numbers where groups go, the swap's motion, a pace that rises with the score, and hints. Every
// part is off unless the game scene's keys switch it on.

#include <box2d/box2d.h>

#include <string>
#include <utility>
#include <vector>

#include "tessim/time.h"

class BaseStone;
class Config_Interface;
class PhysScene;

class GameFeel {
public:
  explicit GameFeel(PhysScene* scene);

  void read_keys(Config_Interface* config);
  // A fresh game: no cascade, no hint, the first pace.
  void start();
  // The game is over: no marks or multiplier stay on the still field.
  void end();

  // Seconds a standing swap takes to travel, and a rejected one to shake (0: at once, no shake).
  float swap_seconds() const { return keys.swap_seconds; }
  float reject_seconds() const { return keys.reject_seconds; }

  // The player's swap stood: its groups score plain, the waves of groups after them more.
  void swap_made();
  // Any click on a stone: the hint goes and its wait begins again.
  void player_clicked();
  // A group of the given size went at (x, y) (scene units): scores it, rises the scene's
  // "->group_scored" signal with the points and the multiplier, and shows the points rising.
  void group_removed(size_t size, float x, float y);
  // Points for a group of the given size, before any multiplier.
  long group_points(size_t size) const;
  // The multiplier of the running cascade; 0 when none runs.
  int multiplier() const { return chain_active ? wave : 0; }
  int level() const { return current_level; }

  // Called each drawn frame of a running game, after the world stepped (stepped: whether it did).
  void update(bool stepped);
  // While the game stands still its clocks do not count.
  void delay(double seconds);

  // A swap of two touching stones that makes a group; nulls when there is none.
  std::pair<BaseStone*, BaseStone*> find_swap() const;
  // The stones the hint marks now (empty names when none).
  const std::pair<std::string, std::string>& hinted() const { return hint; }

private:
  struct PaceStep {
    long score = 0;
    float refill_seconds = 0;  // 0: unchanged
    int emit_count = 0;        // 0: unchanged
  };
  struct Keys {
    bool cascade_scoring = false;  // "Scene->cascadeScoring"
    long group_bonus = 0;          // "Scene->groupBonus": points per stone beyond three
    std::string score_popup;       // "Scene->scorePopup": section of the rising numbers
    std::string combo_label;       // "Scene->comboLabel": Text showing the multiplier
    std::string combo_text = "x{n}";  // "Scene->comboText"
    float swap_seconds = 0;        // "Scene->swapSeconds"
    float reject_seconds = 0;      // "Scene->rejectSeconds"
    std::vector<PaceStep> pace;    // "Scene->Pace->Step<i>->score", "->refillTime", "->emitCount"
    std::string pace_timer;        // "Scene->paceTimer": the refill Timer
    std::string pace_emitter;      // "Scene->paceEmitter": the StoneEmitter
    std::string level_object;      // "Scene->levelObject": Numeric showing the level
    float hint_seconds = 0;        // "Scene->hintSeconds" (0: no hints)
    std::string no_move_label;     // "Scene->noMoveLabel": shown when no swap makes a group
  };

  void watch_cascade(bool stepped);
  void end_cascade();
  void show_combo();
  void show_popup(long points, float x, float y);
  void keep_pace();
  void apply_pace_step(const PaceStep& step);
  void watch_hint();
  void mark_hint(float alpha);
  BaseStone* stone(const std::string& name) const;

  PhysScene* scene;
  Keys keys;
  // The cascade: active from a standing swap until the field is still again; wave counts the
  // frames in which groups went since the swap (the swap's own groups are wave 1).
  bool chain_active = false;
  int wave = 0;
  bool wave_counted = false;  // in this frame
  double still_seconds = 0;
  int popups = 0;
  int current_level = 1;
  Time since_move;
  Time hint_clock;  // the hint's blinking, and how long "no move" shows
  std::pair<std::string, std::string> hint;
  bool no_move_shown = false;
  // The refill interval and row as loaded: the pace's steps change them from there.
  float base_refill_seconds = 0;
  int base_emit_count = 0;
};
