#pragma once
// A string rendered by a text renderer into a surface of the object's own name, and drawn each
// frame as a sprite at the object's computed position. It is rendered at load, and again when
// its "set_text" slot (scene name + "->" + object name + "->set_text") receives a signal whose
// first string is the new text.

#include <cstdint>
#include <string>

#include "brannow/brannow.h"
#include "olvane/video.h"
#include "twinkel/signals.h"
#include "voskar/sceneobject.h"

class Scene;

// Sets the sprite's position to (x, y), moved by less than a pixel so that its lower left corner
// lies on the video device's pixel grid: a text's glyphs are made for whole pixels and blur, or
// show seams, when drawn between them.
void place_on_pixel_grid(Video_Interface* video, Video_Sprite* sprite, double x, double y);

class Text : public virtual SceneObject {
public:
  Text();
  // Copies every field; the copy's set-text slot calls the copy.
  Text(const Text& other);
  Text& operator=(const Text& other);
  ~Text() override;

  bool load(Scene* scene, std::string storage_name, std::string storage_prefix,
            std::string scene_name, std::string object_name,
            Brannow::FileManager* file_manager) override;
  void draw() override;

  // Renders the first string of the pack as the new text; a pack without one changes nothing.
  virtual bool slot__on_set_text(SlotArgs* args);

  bool real_load(Scene* scene, std::string storage_name, std::string storage_prefix,
                 std::string scene_name, std::string object_name,
                 Brannow::FileManager* file_manager);

  std::string _get_text() { return text; }
  // Takes effect at the next load: the text is rendered only then.
  void _set_text(std::string value) { text = value; }
  std::string _get_renderer_type() { return renderer_type; }
  void _set_renderer_type(std::string value) { renderer_type = value; }
  std::string _get_font() { return font; }
  void _set_font(std::string value) { font = value; }
  int _get_font_size() { return font_size; }
  void _set_font_size(int value) { font_size = value; }
  uint32_t _get_color() { return color; }
  void _set_color(uint32_t value) { color = value; }
  float _get_x_base() { return x_base; }
  void _set_x_base(float value) { x_base = value; }
  float _get_y_base() { return y_base; }
  void _set_y_base(float value) { y_base = value; }
  Video_Sprite* _get__sprite_() { return _sprite_; }
  void _set__sprite_(Video_Sprite* value) { _sprite_ = value; }

protected:
  Slot<Text> slot_set_text;
  std::string text;
  std::string renderer_type;
  std::string font;
  int font_size;
  uint32_t color;  // 0xRRGGBBAA
  float x_base, y_base;
  Video_Sprite* _sprite_;  // owned by the video device
};
