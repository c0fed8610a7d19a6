#pragma once
// The rules of the playing field over its Box2D world: which stones make a group, whether a swap
// stands, whether a point has room, whether the pile rests above the line, the cascade, the pace
// and the hint. It draws, logs and deletes nothing: what happens goes to its listener as events,
// which the game scene turns into pictures, signals, log lines and disposals.

#include <box2d/box2d.h>

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

#include "../GameObjects/basestone/stone_motion.h"

// What the rules know of a stone. Its body's user data points here.
struct FieldStone {
  int kind = 0;
  float width = 0.0f, height = 0.0f;  // scene units
  b2Body* body = nullptr;
  // While a swap's picture travels, the stone joins no group.
  StoneMotion motion;
  // The cascade that last saw it rest (0: none) and where (world units): a stone that has since
  // fallen from there moved because of that cascade's bursts.
  int rest_cascade = 0;
  b2Vec2 rest_position{0.0f, 0.0f};
  // The field's state in which the stone last settled without news (0: never): until the field
  // changes, its settling finds the same.
  unsigned long settled_in = 0;

  float larger_side() const { return width > height ? width : height; }
  float smaller_side() const { return width < height ? width : height; }
};

// The field stone a body belongs to, or null for walls, particles and foreign bodies.
FieldStone* field_stone_of(b2Body* body);

struct FieldEvent {
  enum class Kind {
    STONE_SELECTED,  // stones[0] is selected now
    OUT_OF_REACH,    // the second click was too far from the selected stone: no swap
    SWAP_STOOD,      // stones: the selected one, then the clicked one; their kinds are exchanged
    SWAP_REJECTED,   // as SWAP_STOOD, but the swap made no group and was undone
    GROUP_CLEARED,   // stones: the group (it is on the field still, the listener takes it off)
    CASCADE_STEP,    // the cascade moved to its next wave (multiplier)
    CASCADE_ENDED,   // the field is still again
    LEVEL_REACHED,   // the pace reached a new level
    OUT_OF_FIELD,    // stones[0] fell out of the field
    HINT,            // stones: a swap that makes a group
    NO_MOVE,         // no swap of touching stones makes a group
    GAME_OVER,
  };
  enum class Reason { NONE, PILE_OVER_LINE, NO_ROOM, ENDED };

  explicit FieldEvent(Kind what, std::vector<FieldStone*> which = {}) : kind(what), stones(std::move(which)) {}

  Kind kind;
  std::vector<FieldStone*> stones;
  // Groups: the stone whose turn found the group; it goes last.
  FieldStone* origin = nullptr;
  // Swaps: how far the two centres are apart and how far they may be (scene units); the sizes of
  // the groups looked at, in order.
  float distance = 0.0f, reach = 0.0f;
  std::vector<size_t> group_sizes;
  // Groups: the kind, the centre (scene units), the points and the factor they were scored with,
  // the multiplier of the running cascade (0: none runs), and whether a swap of the player's set
  // the group off (false: the refill's own).
  int stone_kind = 0;
  b2Vec2 centre{0.0f, 0.0f};
  long points = 0;
  int times = 1;
  int multiplier = 0;
  bool set_off = false;
  int level = 1;
  Reason reason = Reason::NONE;
  float hold_seconds = 0.0f;
  long score = 0;
};

class FieldModel {
public:
  struct Rules {
    bool line_set = false;
    float line_y = 0.0f;          // scene y the pile must stay under
    float hold_seconds = 2.0f;    // seconds above the line that end the game
    bool cascade_scoring = false;
    long group_bonus = 0;         // points per stone beyond three
    long unearned_percent = 100;  // share of its points a group scores that no swap set off
    std::vector<long> pace_scores;  // the score of each pace step, rising
  };
  enum class Play { RUNNING, PAUSED, OVER };
  // What takes up a point: nothing, a stone passing through (falling, flung up or just placed),
  // or a wall or a stone resting on something.
  enum class Room { FREE, PASSING, TAKEN };

  using Listener = std::function<void(const FieldEvent&)>;
  static constexpr size_t GROUP_SIZE = 3;

  void set_world(b2World* field_world) { world = field_world; }
  b2World* get_world() const { return world; }
  void set_rules(const Rules& field_rules) { rules = field_rules; }
  const Rules& get_rules() const { return rules; }
  void set_listener(Listener field_listener) { listener = std::move(field_listener); }
  // The score the pace and the game over go by.
  void set_score_source(std::function<long()> source) { score = std::move(source); }

  // A fresh game: running, no selection, no cascade, the first level.
  void start();
  Play get_play() const { return play; }
  // Why the game ended (NONE while it runs).
  FieldEvent::Reason end_reason() const { return ended_by; }
  // Pauses a running game, resumes a paused one; false when it is over.
  bool toggle_pause();
  // Ends the game for the reason (GAME_OVER); nothing when it is over already.
  void end(FieldEvent::Reason reason);

  // A click on a stone of a running game: selects it, or judges the swap with the selected one.
  void click(FieldStone* stone);
  FieldStone* selected() const { return selection; }
  // Clears the selection; the stone that was selected (null when none was).
  FieldStone* deselect() { return std::exchange(selection, nullptr); }
  // The stone leaves the field (its body is destroyed by the caller).
  void forget(FieldStone* stone);

  // The stone's turn in the frame: its group goes (GROUP_CLEARED) when it is complete and none
  // of it travels, or the stone goes when it fell out of the field (OUT_OF_FIELD). Whether it
  // was reported gone.
  bool settle(FieldStone* stone);
  // The world moved (a step with bodies awake): every stone settles anew.
  void world_moved() { ++field_state; }
  // After a world step of the given seconds: the pile above the line, and the cascade's end.
  void after_step(float seconds);
  // How long stones have rested above the line without a break (0 while none does).
  double seconds_above() const { return seconds_above_line; }
  // The start of a drawn frame: a new frame counts a new wave of the cascade.
  void begin_frame() { wave_counted = false; }
  // The multiplier of the running cascade; 0 when none runs.
  int multiplier() const { return chain_active ? wave : 0; }
  int level() const { return current_level; }
  // The pace's level for the score now: one more than the pace steps it reached.
  int pace_level() const;
  // Takes the pace to the level (LEVEL_REACHED when it is a new one).
  void reach_level(int level);

  Room room_at(float x, float y) const;
  // A swap of two touching stones that makes a group; nulls when there is none.
  std::pair<FieldStone*, FieldStone*> find_swap() const;
  // The hint the player asked for by waiting: HINT with such a swap, or NO_MOVE.
  void look_for_hint() const;
  // Of those swaps, one that makes the largest group, the lowest of them on a tie (more stones
  // above it fall into new places); nulls when there is none.
  std::pair<FieldStone*, FieldStone*> best_swap() const;
  // Points for a group of the given size, before any multiplier.
  long group_points(size_t size) const;

  // The bodies of the face-touching stones of the given kind reachable from start (start itself
  // included once the group has two stones or more).
  static std::vector<b2Body*> find_group(b2Body* start, int kind);
  // The larger of the groups that exchanging the kinds of the two stones would make at their
  // places, and whether that is a group.
  static size_t largest_group_after_swap(FieldStone* a, FieldStone* b);
  static bool swap_makes_group(FieldStone* a, FieldStone* b);
  // Whether two stones are near enough for a swap; their distance and the reach when asked.
  static bool next_to(const FieldStone* a, const FieldStone* b, float* distance = nullptr, float* reach = nullptr);

private:
  void report(const FieldEvent& event) const {
    if (listener) listener(event);
  }
  long score_now() const { return score ? score() : 0; }
  void end_cascade();
  // Calls `take` with each swap that makes a group and the size of the larger group it makes,
  // until it returns false.
  void for_each_swap(const std::function<bool(FieldStone*, FieldStone*, size_t)>& take) const;
  // Whether the running cascade set the stone in motion: one of its swap's stones, or one that
  // rested when a group of the cascade went and has fallen since.
  bool set_off_by_cascade(const FieldStone* stone) const;
  // Notes where the stones that rest now are, before a group of the cascade goes.
  void mark_resting_stones();

  b2World* world = nullptr;
  Rules rules;
  Listener listener;
  std::function<long()> score;
  Play play = Play::RUNNING;
  FieldEvent::Reason ended_by = FieldEvent::Reason::NONE;
  FieldStone* selection = nullptr;
  double seconds_above_line = 0;
  // The cascade: active from a standing swap until the field is still again; wave counts the
  // frames in which groups it set off went (the swap's own groups are wave 1). cascade numbers
  // the swaps that stood; swapped are the standing swap's two stones.
  bool chain_active = false;
  int cascade = 0;
  FieldStone* swapped[2] = {nullptr, nullptr};
  int wave = 0;
  bool wave_counted = false;
  double still_seconds = 0;
  int current_level = 1;
  // Counts the changes that may make a group or move a stone out: steps, swaps, stones gone. A
  // field at rest, which most frames of a game see, then costs no group search.
  unsigned long field_state = 1;
};
