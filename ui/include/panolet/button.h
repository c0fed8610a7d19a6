#pragma once
// A picture with a caption that switches to its hover look under the pointer and rises
// scene name + "->" + object name + "->released" with its own position and the mouse buttons
// when a press that started on it ends. It draws nothing itself: its two pictures and two
// captions are ordinary Image and Text objects of its scene.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "panolet/baseuiobject.h"
#include "twinkel/signals.h"

class Button : public BaseUIObject {
public:
  Button();
  Button(const Button& other) = default;
  Button& operator=(const Button& other) = default;
  // Takes its sub-objects out of the scene and deletes them.
  ~Button() override;

  bool load(Scene* scene, std::string storage_name, std::string storage_prefix,
            std::string scene_name, std::string object_name,
            Brannow::FileManager* file_manager) override;
  void draw() override {}
  bool slot__on_mouse_release(SlotArgs* args) override;
  void _get_active_area_rect(VideoRect* rect) override;
  bool _is_point_in_object(float x, float y) override;
  void _on_mouse_enter(float x, float y, MOUSE_BUTTON button) override;
  void _on_mouse_leave(float x, float y, MOUSE_BUTTON button) override;
  bool slot__on_scene_reinit(SlotArgs* args) override;

  bool real_load(Scene* scene, std::string storage_name, std::string storage_prefix,
                 std::string scene_name, std::string object_name,
                 Brannow::FileManager* file_manager);

  std::string _get_caption() { return caption; }
  void _set_caption(std::string value) { caption = value; }
  int _get_state() { return state; }
  void _set_state(int value) { state = value; }

  bool _on_mouse_release_handler(float x, float y, float dx, float dy, int64_t button);
  void rise_released(float x, float y, int64_t button);

  // "Button->show_setting": the UI setting that must be "1" for the button to be there (shown
  // and clickable), read at load and whenever its scene comes back; empty: always there.
  std::string _get_show_setting() { return show_setting; }

protected:
  void apply_show_setting();
  // Shows the first pair of sub-objects and hides the second (a missing one is skipped).
  SceneObject* base_image();
  void switch_look(const std::string& show_image, const std::string& show_caption,
                   const std::string& hide_image, const std::string& hide_caption);

  std::string caption;
  Signal released;
  std::string base_image_name, hover_image_name, base_caption_name, hover_caption_name;
  std::string font, hover_font;
  uint32_t font_color, hover_font_color;
  int32_t font_size, hover_font_size;
  std::string image_file, hover_image_file;
  std::string renderer_type, hover_renderer_type;
  int state;
  std::string show_setting;

private:
  // Creates one sub-object of type T, places it by the button's own position properties, lets
  // setup fill in its look, loads it and adds it to the scene. false (with a log line) when it
  // cannot be made; nothing of it stays behind then.
  template <typename T, typename Setup>
  bool add_sub_object(const std::string& type, const std::string& create_failure,
                      const std::string& name, bool shown, int z_level, Setup setup,
                      Scene* scene, std::string storage_name, std::string storage_prefix,
                      std::string scene_name, Brannow::FileManager* file_manager);

  // The sub-objects this button made, for its destructor.
  std::vector<std::pair<std::string, SceneObject*>> sub_objects;
};
