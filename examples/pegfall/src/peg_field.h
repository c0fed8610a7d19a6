#pragma once
// The scene of the game: a Box2D world that its pegs and its ball live in. A press drops the
// ball from where the player aims; when it leaves the field, the pegs it lit vanish.

#include <box2d/box2d.h>

#include <string>
#include <vector>

#include <voskar/scene.h>

class Ball;
class Peg;

class PegField : public Scene, private b2ContactListener {
public:
  PegField();
  bool load_scene() override;
  bool draw() override;
  bool slot__on_mouse_press(SlotArgs* args) override;

  // Scene coordinates (-1 to 1 both ways) to the world's metres and back. A scene unit across is
  // wider than one up by the window's aspect: the world is scaled so that a circle stays round.
  b2Vec2 to_world(float x, float y) const { return b2Vec2(x * SCALE * aspect_, y * SCALE); }
  b2Vec2 to_scene(const b2Vec2& metres) const {
    return b2Vec2(metres.x / (SCALE * aspect_), metres.y / SCALE);
  }
  // A round body at (x, y) of the scene, its radius in scene heights (the unit of y); a contact
  // of a body made for a peg lights that peg.
  b2Body* make_round_body(b2BodyType type, float x, float y, float radius, float restitution,
                          Peg* peg);
  // The ball fell out of the field: the pegs it lit go.
  void ball_left();

private:
  static constexpr float SCALE = 10.0f;
  void BeginContact(b2Contact* contact) override;
  Ball* ball();
  // Rises "score" and "balls" with their texts for the field's captions.
  void tell();

  b2World world_;
  float time_step_ = 1.0f / 60.0f;
  float aspect_ = 4.0f / 3.0f;  // the window's width over its height
  std::vector<Peg*> lit_;
  int score_ = 0;
  int dropped_ = 0;  // balls that have left the field
  int balls_ = 5;
  int bonus_pegs_ = 5;  // lit in one drop, they count twice
  std::string game_over_scene_, score_setting_;
};
