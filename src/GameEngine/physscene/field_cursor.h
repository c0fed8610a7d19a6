#pragma once
// Where the keyboard's cursor goes on the field: from its stone to the nearest stone in the
// direction of an arrow key, or, when it has none, to the stone nearest a point.

#include <box2d/box2d.h>

#include "field_model.h"

namespace field_cursor {

// The stone nearest to `from` whose centre lies within 60 degrees of the direction, or null.
FieldStone* next_in_direction(b2World* world, const FieldStone* from, b2Vec2 direction);
// The stone nearest to the point (world units), or null.
FieldStone* nearest_to(b2World* world, b2Vec2 point);

}  // namespace field_cursor
