#include "field_cursor.h"

namespace field_cursor {
namespace {
// cos 60°: a stone further off the arrow's direction is not "that way".
const float WITHIN_CONE = 0.5f;

template <typename Accept>
FieldStone* nearest(b2World* world, b2Vec2 point, Accept accept) {
  FieldStone* best = nullptr;
  float best_distance = 0.0f;
  for (b2Body* body = world ? world->GetBodyList() : nullptr; body; body = body->GetNext()) {
    FieldStone* stone = field_stone_of(body);
    if (!stone || !accept(stone, body->GetPosition() - point)) continue;
    const float distance = (body->GetPosition() - point).Length();
    if (!best || distance < best_distance) {
      best = stone;
      best_distance = distance;
    }
  }
  return best;
}
}  // namespace

FieldStone* next_in_direction(b2World* world, const FieldStone* from, b2Vec2 direction) {
  if (!from || !from->body || direction.Normalize() == 0.0f) return nullptr;
  return nearest(world, from->body->GetPosition(), [&](const FieldStone* stone, b2Vec2 offset) {
    const float length = offset.Length();
    return stone != from && length > 0.0f && b2Dot(offset, direction) >= WITHIN_CONE * length;
  });
}

FieldStone* nearest_to(b2World* world, b2Vec2 point) {
  return nearest(world, point, [](const FieldStone*, b2Vec2) { return true; });
}

}  // namespace field_cursor
