#include "stone_motion.h"

#include <cmath>

namespace {
const double SWINGS = 3;
const double TWO_PI = 6.283185307179586;
// A shake goes this share of the way to the partner.
const float SHAKE_REACH = 0.25f;
}  // namespace

void StoneMotion::travel(b2Vec2 from, double duration) {
  kind = duration > 0 ? Kind::TRAVEL : Kind::NONE;
  vector = from;
  seconds = duration;
  clock.reset();
}

void StoneMotion::shake(b2Vec2 toward, double duration) {
  kind = duration > 0 ? Kind::SHAKE : Kind::NONE;
  vector = SHAKE_REACH * toward;
  seconds = duration;
  clock.reset();
}

double StoneMotion::done() const {
  if (kind == Kind::NONE) return 1;
  const double share = clock.get_elapsed_time_noreset() / seconds;
  return share < 1 ? share : 1;
}

bool StoneMotion::moving() const { return done() < 1; }

b2Vec2 StoneMotion::offset() const {
  const double share = done();
  if (share >= 1) return b2Vec2(0.0f, 0.0f);
  // Travel eases out: fast from the old place, gently into the new one.
  const double left = 1 - share;
  const double weight = kind == Kind::TRAVEL ? left * left : std::sin(TWO_PI * SWINGS * share) * left;
  return static_cast<float>(weight) * vector;
}
