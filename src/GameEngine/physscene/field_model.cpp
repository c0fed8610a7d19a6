#include "field_model.h"

#include <algorithm>

namespace {
// The world is the scene scaled by 50 and shifted by one: world = (scene + 1) * 50.
const float SCALE = 50.0f;
float to_scene(float coordinate) { return coordinate / SCALE - 1.0f; }

// Slower than this a stone rests on the pile, not falling (world units per second). A stone
// dropped from rest passes it within three steps.
const float RESTING_SPEED = 2.0f;
// The field is still when no stone moves faster than this for SETTLE_SECONDS: a stone set free
// by a group below passes the speed within three steps.
const float SETTLED_SPEED = 2.0f;
const double SETTLE_SECONDS = 0.3;
// A second click counts as a neighbour when the centres are at most this many stone sizes apart.
const float NEIGHBOUR_DISTANCE = 1.2f;
// Two stones share a face when they touch along at least this share of the smaller side.
const float FACE_SHARE = 0.8f;
// A stone that rested when a cascade's group went has fallen because of it once it is this many
// of its smaller sides away: landing stones nudge a pile by less.
const float FALLEN_SHARE = 0.5f;
// Out of the field: gone without a burst. There is no upper limit: stones fall in from above.
const float FIELD_EDGE = 2.0f;

bool contains(const std::vector<b2Body*>& bodies, const b2Body* body) {
  return std::find(bodies.begin(), bodies.end(), body) != bodies.end();
}

// Slow and touching: on the pile, not falling, flying or just placed.
bool rests_on_something(b2Body* body) {
  if (body->GetLinearVelocity().Length() >= RESTING_SPEED) return false;
  for (b2ContactEdge* edge = body->GetContactList(); edge; edge = edge->next)
    if (edge->contact->IsTouching()) return true;
  return false;
}

void swap_bodies(FieldStone* a, FieldStone* b) {
  std::swap(a->body, b->body);
  a->body->GetUserData().pointer = reinterpret_cast<uintptr_t>(a);
  b->body->GetUserData().pointer = reinterpret_cast<uintptr_t>(b);
}
}  // namespace

FieldStone* field_stone_of(b2Body* body) { return reinterpret_cast<FieldStone*>(body->GetUserData().pointer); }

void FieldModel::start() {
  play = Play::RUNNING;
  ended_by = FieldEvent::Reason::NONE;
  selection = nullptr;
  seconds_above_line = 0;
  chain_active = false;
  swapped[0] = swapped[1] = nullptr;
  wave = 0;
  still_seconds = 0;
  current_level = 1;
}

bool FieldModel::toggle_pause() {
  if (play == Play::OVER) return false;
  play = play == Play::RUNNING ? Play::PAUSED : Play::RUNNING;
  return true;
}

void FieldModel::end(FieldEvent::Reason reason) {
  if (play == Play::OVER) return;
  play = Play::OVER;
  ended_by = reason;
  FieldEvent over(FieldEvent::Kind::GAME_OVER);
  if (selection) over.stones.push_back(selection);
  selection = nullptr;
  over.reason = reason;
  over.hold_seconds = rules.hold_seconds;
  over.score = score_now();
  chain_active = false;
  wave = 0;
  report(over);
}

void FieldModel::forget(FieldStone* stone) {
  ++field_state;
  if (selection == stone) selection = nullptr;
  for (FieldStone*& moved : swapped)
    if (moved == stone) moved = nullptr;
}

bool FieldModel::next_to(const FieldStone* a, const FieldStone* b, float* distance, float* reach) {
  const float apart = b2Distance(a->body->GetPosition(), b->body->GetPosition()) / SCALE;
  const float most = std::max(a->larger_side(), b->larger_side()) * NEIGHBOUR_DISTANCE;
  if (distance) *distance = apart;
  if (reach) *reach = most;
  return !(apart > most);
}

void FieldModel::click(FieldStone* stone) {
  if (play != Play::RUNNING || !stone->body) return;
  if (!selection) {
    selection = stone;
    report(FieldEvent(FieldEvent::Kind::STONE_SELECTED, {stone}));
    return;
  }
  if (selection == stone) return;
  FieldStone* first = selection;
  selection = nullptr;
  FieldEvent swap(FieldEvent::Kind::OUT_OF_REACH, {first, stone});
  if (!next_to(stone, first, &swap.distance, &swap.reach)) {
    report(swap);
    return;
  }
  // The bodies change owners: each stone's kind is now at the other's place.
  ++field_state;
  swap_bodies(stone, first);
  bool stood = false;
  for (FieldStone* at : {first, stone}) {
    swap.group_sizes.push_back(find_group(at->body, at->kind).size());
    stood = swap.group_sizes.back() >= GROUP_SIZE;
    if (stood) break;
  }
  if (!stood) swap_bodies(stone, first);
  swap.kind = stood ? FieldEvent::Kind::SWAP_STOOD : FieldEvent::Kind::SWAP_REJECTED;
  if (stood) {
    chain_active = true;
    ++cascade;
    swapped[0] = first;
    swapped[1] = stone;
    wave = 0;
    still_seconds = 0;
  }
  report(swap);
}

std::vector<b2Body*> FieldModel::find_group(b2Body* start, int kind) {
  std::vector<b2Body*> found;
  std::vector<b2Body*> pending;
  b2Body* current = start;
  while (current) {
    const FieldStone* current_stone = field_stone_of(current);
    const float own = current_stone ? current_stone->smaller_side() : 0.0f;
    for (b2ContactEdge* edge = current->GetContactList(); edge; edge = edge->next) {
      // The contact first: the edge lies in it, where the other stone is one more cache miss.
      // Faces touch with a two-point manifold; corners touch with one.
      const b2Contact* contact = edge->contact;
      const b2Manifold* manifold = contact->GetManifold();
      if (!contact->IsTouching() || manifold->pointCount != 2) continue;
      b2Body* other = edge->other;
      if (other->GetType() != b2_dynamicBody) continue;
      const FieldStone* other_stone = field_stone_of(other);
      if (!other_stone || other_stone->kind != kind || contains(found, other) || contains(pending, other)) continue;
      const float length = b2Distance(manifold->points[0].localPoint, manifold->points[1].localPoint) / SCALE;
      if (length < FACE_SHARE * std::min(own, other_stone->smaller_side())) continue;
      found.push_back(other);
      pending.push_back(other);
    }
    if (pending.empty()) break;
    current = pending.back();
    pending.pop_back();
  }
  return found;
}

size_t FieldModel::largest_group_after_swap(FieldStone* a, FieldStone* b) {
  std::swap(a->kind, b->kind);
  const size_t largest = std::max(find_group(a->body, a->kind).size(), find_group(b->body, b->kind).size());
  std::swap(a->kind, b->kind);
  return largest;
}

bool FieldModel::swap_makes_group(FieldStone* a, FieldStone* b) { return largest_group_after_swap(a, b) >= GROUP_SIZE; }

long FieldModel::group_points(size_t size) const {
  const long extra = size > GROUP_SIZE ? static_cast<long>(size - GROUP_SIZE) : 0;
  return static_cast<long>(size) + rules.group_bonus * extra;
}

bool FieldModel::settle(FieldStone* stone) {
  if (!stone->body || stone->settled_in == field_state) return false;
  const std::vector<b2Body*> group = find_group(stone->body, stone->kind);
  // A group waits until a swap's stones have travelled into it: that takes no change of the
  // field, so such a stone looks again next frame.
  const bool complete = group.size() >= GROUP_SIZE;
  const bool waiting = complete && std::any_of(group.begin(), group.end(), [](b2Body* member) {
                         return field_stone_of(member)->motion.moving();
                       });
  if (complete && !waiting) {
    FieldEvent cleared(FieldEvent::Kind::GROUP_CLEARED);
    for (b2Body* member : group) {
      cleared.stones.push_back(field_stone_of(member));
      cleared.centre += member->GetPosition();
    }
    cleared.centre *= 1.0f / static_cast<float>(group.size());
    cleared.centre.Set(to_scene(cleared.centre.x), to_scene(cleared.centre.y));
    cleared.origin = stone;
    cleared.stone_kind = stone->kind;
    cleared.set_off = chain_active && std::any_of(group.begin(), group.end(), [this](b2Body* member) {
                        return set_off_by_cascade(field_stone_of(member));
                      });
    // What rests on the group now and falls when it goes belongs to the cascade.
    if (cleared.set_off) mark_resting_stones();
    if (rules.cascade_scoring && cleared.set_off) {
      const bool next_wave = !wave_counted;
      if (next_wave) ++wave;
      wave_counted = true;
      still_seconds = 0;
      cleared.times = wave;
      if (next_wave && wave >= 2) {
        FieldEvent step(FieldEvent::Kind::CASCADE_STEP);
        step.multiplier = wave;
        report(step);
      }
    }
    cleared.points = group_points(group.size()) * cleared.times;
    if (!cleared.set_off) cleared.points = cleared.points * rules.unearned_percent / 100;
    cleared.multiplier = cleared.set_off ? multiplier() : 0;
    report(cleared);
    return true;
  }
  const b2Vec2 at = stone->body->GetPosition();
  if (!(to_scene(at.x) > FIELD_EDGE || to_scene(at.x) < -FIELD_EDGE || to_scene(at.y) < -FIELD_EDGE)) {
    if (!waiting) stone->settled_in = field_state;
    return false;
  }
  report(FieldEvent(FieldEvent::Kind::OUT_OF_FIELD, {stone}));
  return true;
}

void FieldModel::after_step(float seconds) {
  if (!world || play != Play::RUNNING) return;
  if (rules.line_set) {
    bool resting_above = false;
    for (b2Body* body = world->GetBodyList(); body && !resting_above; body = body->GetNext()) {
      if (!field_stone_of(body) || body->GetType() != b2_dynamicBody) continue;
      resting_above = to_scene(body->GetPosition().y) > rules.line_y &&
                      body->GetLinearVelocity().Length() < RESTING_SPEED;
    }
    seconds_above_line = resting_above ? seconds_above_line + seconds : 0;
    if (seconds_above_line >= rules.hold_seconds) {
      end(FieldEvent::Reason::PILE_OVER_LINE);
      return;
    }
  }
  // Still waiting for the swap's own groups (the stones may be travelling yet).
  if (!chain_active || wave == 0) return;
  bool moving = false;
  for (b2Body* body = world->GetBodyList(); body && !moving; body = body->GetNext())
    moving = field_stone_of(body) && body->GetLinearVelocity().Length() >= SETTLED_SPEED;
  still_seconds = moving ? 0 : still_seconds + seconds;
  if (still_seconds >= SETTLE_SECONDS) end_cascade();
}

bool FieldModel::set_off_by_cascade(const FieldStone* stone) const {
  if (stone == swapped[0] || stone == swapped[1]) return true;
  if (stone->rest_cascade != cascade) return false;
  return b2Distance(stone->body->GetPosition(), stone->rest_position) / SCALE >= FALLEN_SHARE * stone->smaller_side();
}

void FieldModel::mark_resting_stones() {
  for (b2Body* body = world->GetBodyList(); body; body = body->GetNext()) {
    FieldStone* stone = field_stone_of(body);
    // A stone keeps the first place the cascade saw it rest at: it may have fallen since.
    if (!stone || stone->rest_cascade == cascade || body->GetType() != b2_dynamicBody) continue;
    if (body->GetLinearVelocity().Length() >= RESTING_SPEED) continue;
    stone->rest_cascade = cascade;
    stone->rest_position = body->GetPosition();
  }
}

void FieldModel::end_cascade() {
  chain_active = false;
  wave = 0;
  report(FieldEvent(FieldEvent::Kind::CASCADE_ENDED));
}

int FieldModel::pace_level() const {
  const long now = score_now();
  int level = 1;
  for (long step : rules.pace_scores) {
    if (now < step) break;
    ++level;
  }
  return level;
}

void FieldModel::reach_level(int level) {
  if (level == current_level) return;
  current_level = level;
  FieldEvent reached(FieldEvent::Kind::LEVEL_REACHED);
  reached.level = level;
  report(reached);
}

FieldModel::Room FieldModel::room_at(float x, float y) const {
  if (!world) return Room::FREE;
  const b2Vec2 point((x + 1.0f) * SCALE, (y + 1.0f) * SCALE);
  Room room = Room::FREE;
  for (b2Body* body = world->GetBodyList(); body && room != Room::TAKEN; body = body->GetNext()) {
    // Stones and walls take room; particles fly through and are gone in a moment.
    if (!field_stone_of(body) && body->GetType() != b2_staticBody) continue;
    for (b2Fixture* fixture = body->GetFixtureList(); fixture; fixture = fixture->GetNext()) {
      if (!fixture->TestPoint(point)) continue;
      room = body->GetType() != b2_dynamicBody || rests_on_something(body) ? Room::TAKEN : Room::PASSING;
      break;
    }
  }
  return room;
}

void FieldModel::for_each_swap(const std::function<bool(FieldStone*, FieldStone*, size_t)>& take) const {
  if (!world) return;
  for (b2Body* body = world->GetBodyList(); body; body = body->GetNext()) {
    FieldStone* first = field_stone_of(body);
    if (!first) continue;
    for (b2ContactEdge* edge = body->GetContactList(); edge; edge = edge->next) {
      FieldStone* second = field_stone_of(edge->other);
      if (!second || !edge->contact->IsTouching() || second->kind == first->kind) continue;
      if (!next_to(first, second)) continue;
      const size_t largest = largest_group_after_swap(first, second);
      if (largest >= GROUP_SIZE && !take(first, second, largest)) return;
    }
  }
}

void FieldModel::look_for_hint() const {
  const auto [a, b] = find_swap();
  if (a && b)
    report(FieldEvent(FieldEvent::Kind::HINT, {a, b}));
  else
    report(FieldEvent(FieldEvent::Kind::NO_MOVE));
}

std::pair<FieldStone*, FieldStone*> FieldModel::find_swap() const {
  std::pair<FieldStone*, FieldStone*> found{nullptr, nullptr};
  for_each_swap([&found](FieldStone* a, FieldStone* b, size_t) {
    found = {a, b};
    return false;
  });
  return found;
}

std::pair<FieldStone*, FieldStone*> FieldModel::best_swap() const {
  std::pair<FieldStone*, FieldStone*> best{nullptr, nullptr};
  size_t best_size = 0;
  float best_height = 0.0f;
  for_each_swap([&](FieldStone* a, FieldStone* b, size_t size) {
    const float height = std::min(a->body->GetPosition().y, b->body->GetPosition().y);
    if (size > best_size || (size == best_size && height < best_height)) {
      best = {a, b};
      best_size = size;
      best_height = height;
    }
    return true;
  });
  return best;
}
