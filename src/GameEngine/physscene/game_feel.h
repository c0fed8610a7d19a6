#pragma once
// What makes the game feel like one, beside its rules: scores that reward cascades, rising
// numbers where groups go, the swap's motion, a pace that rises with the score, and hints. Every
// part is off unless the game scene's keys switch it on.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "stone_glow.h"
#include "tessim/time.h"

class BaseStone;
class Config_Interface;
class Numeric;
class PhysScene;
class StoneEmitter;
class Text;
class Timer;
struct FieldEvent;

class GameFeel {
public:
  explicit GameFeel(PhysScene* scene);

  // Also forgets the objects it acts on until start() finds them again.
  void read_keys(Config_Interface* config);
  // A fresh game: no hint, the first pace; finds the objects named by the keys.
  void start();
  // The game is over: no marks, multiplier or warning stay on the still field.
  void end();

  // Seconds a standing swap takes to travel, and a rejected one to shake (0: at once, no shake).
  float swap_seconds() const { return keys.swap_seconds; }
  float reject_seconds() const { return keys.reject_seconds; }

  // Any click on a stone: the hint goes and its wait begins again.
  void player_clicked();
  // A group went: its points are logged, the scene's "->group_scored" (points, factor) and
  // "->group_burst" (size, multiplier) are risen, and the points rise where it was.
  void group_removed(const FieldEvent& group);
  // The multiplier of the running cascade (0 when none runs) shown, or hidden below 2.
  void show_combo();
  // The pace reached the level: the refill timer and the emitter take its step.
  void level_reached(int level);
  int multiplier() const;
  int level() const;

  // Called each drawn frame of a running game, after the world stepped.
  void update();
  // The field's answer to the wait for a hint: the swap it found, or that none is left (a fresh
  // row comes).
  void show_hint(BaseStone* first, BaseStone* second);
  void no_move_left();
  // The hint's glow around its stones; drawn after the stones each frame.
  void draw_hint();
  // Stones have rested above the line for so many seconds (0: none does): once they have for a
  // quarter second, the warning label counts down the seconds left of the hold; else it hides.
  void warn(double seconds_above, double hold_seconds);
  // The warning shows (the line brightens meanwhile).
  bool warning() const { return warning_shown > 0; }
  // While the game stands still its clocks do not count.
  void delay(double seconds);

  // The stones the hint marks now (empty names when none).
  const std::pair<std::string, std::string>& hinted() const { return hint; }

private:
  struct PaceStep {
    long score = 0;
    float refill_seconds = 0;  // 0: unchanged
    int emit_count = 0;        // 0: unchanged
  };
  struct Keys {
    std::string score_popup;       // "Scene->scorePopup": section of the rising numbers
    std::string combo_label;       // "Scene->comboLabel": Text showing the multiplier
    std::string combo_text = "x{n}";  // "Scene->comboText"
    float swap_seconds = 0;        // "Scene->swapSeconds"
    float reject_seconds = 0;      // "Scene->rejectSeconds"
    std::vector<PaceStep> pace;    // "Scene->Pace->Step<i>->refillTime", "->emitCount"
    std::string pace_timer;        // "Scene->paceTimer": the refill Timer
    std::string pace_emitter;      // "Scene->paceEmitter": the StoneEmitter
    std::string level_object;      // "Scene->levelObject": Numeric showing the level
    float hint_seconds = 0;        // "Scene->hintSeconds" (0: no hints)
    std::string no_move_label;     // "Scene->noMoveLabel": shown when no swap makes a group
    uint32_t hint_colour = 0;      // "Scene->hintColor": the glow around the hinted stones
    std::string warning_label;     // "Scene->warningLabel": Text counting down to the end
    std::string warning_text = "{n}";  // "Scene->warningText"
  };

  void show_popup(long points, float x, float y);
  void keep_pace();
  void watch_hint();
  void clear_hint();
  BaseStone* stone(const std::string& name) const;

  PhysScene* scene;
  Keys keys;
  // The objects the keys name, found at the start of a game.
  Timer* pace_timer = nullptr;
  StoneEmitter* pace_emitter = nullptr;
  Text* combo_label = nullptr;
  Text* warning_label = nullptr;
  Numeric* level_shown = nullptr;
  int popups = 0;
  Time since_move;
  Time hint_clock;  // the hint's blinking, and how long "no move" shows
  std::pair<std::string, std::string> hint;
  StoneGlow glow;
  float glow_alpha = 1.0f;
  // The whole seconds the warning label shows (0: hidden).
  long warning_shown = 0;
  bool no_move_shown = false;
  // The refill interval and row as loaded: the pace's steps change them from there.
  float base_refill_seconds = 0;
  int base_emit_count = 0;
};
