#pragma once
// How far a stone's picture stands off its body while a swap is shown: travelling from its old
// place to its new one, or shaking toward its partner and back when the swap is rejected.

#include <box2d/box2d.h>

#include "tessim/time.h"

class StoneMotion {
public:
  // Starts at `from` off the body and reaches it after the given seconds.
  void travel(b2Vec2 from, double seconds);
  // Swings toward `toward` (and back, three times, dying down) for the given seconds.
  void shake(b2Vec2 toward, double seconds);
  bool moving() const;
  b2Vec2 offset() const;
  void delay(double seconds) { clock.postpone(seconds); }

private:
  enum class Kind { NONE, TRAVEL, SHAKE };
  // The share of the motion done, 0 to 1.
  double done() const;

  Kind kind = Kind::NONE;
  b2Vec2 vector{0.0f, 0.0f};
  double seconds = 0;
  Time clock;
};
