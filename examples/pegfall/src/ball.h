#pragma once
// The ball: hidden until dropped, then a round dynamic body whose place the picture follows.

#include <box2d/box2d.h>

#include <voskar/image.h>

class Ball : public Image {
public:
  bool load(Scene* scene, std::string storage_name, std::string storage_prefix,
            std::string scene_name, std::string object_name,
            Brannow::FileManager* file_manager) override;
  void draw() override;
  ~Ball() override;
  bool in_play() const { return body_ != nullptr; }
  // Drops the ball from the top of the field at x.
  void drop(float x);

private:
  b2Body* body_ = nullptr;
  float radius_ = 0.03f;
  float start_y_ = 0.9f;
  int still_frames_ = 0;
  bool push_left_ = false;
};
