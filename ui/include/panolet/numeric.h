#pragma once
// A whole number shown as zero-padded text, changed through the slots
// scene name + "->" + object name + "->increment_value", "->decrement_value", "->add_value",
// "->sub_value" and "->set_value" (the last three take the first integer of the signal). The
// text is rendered again only when the number has changed.

#include <cstdint>
#include <string>

#include "panolet/baseuiobject.h"
#include "twinkel/signals.h"

class Numeric : public BaseUIObject {
public:
  Numeric();
  Numeric(const Numeric& other);
  Numeric& operator=(const Numeric& other);
  ~Numeric() override;

  bool load(Scene* scene, std::string storage_name, std::string storage_prefix,
            std::string scene_name, std::string object_name,
            Brannow::FileManager* file_manager) override;
  void draw() override;

  virtual bool slot_increment_value(SlotArgs* args);
  virtual bool slot_decrement_value(SlotArgs* args);
  virtual bool slot_add_value(SlotArgs* args);
  virtual bool slot_sub_value(SlotArgs* args);
  virtual bool slot_set_value(SlotArgs* args);

  bool real_load(Scene* scene, std::string storage_name, std::string storage_prefix,
                 std::string scene_name, std::string object_name,
                 Brannow::FileManager* file_manager);

  bool increment_value_handler();
  bool decrement_value_handler();
  bool add_value_handler(int64_t value);
  bool sub_value_handler(int64_t value);
  bool set_value_handler(int64_t value);

  int32_t _get_start_value() { return start_value; }
  void _set_start_value(int32_t value) { start_value = value; }
  int32_t _get_value_length() { return value_length; }
  void _set_value_length(int32_t value) { value_length = value; }
  int32_t _get_value() { return value; }
  void _set_value(int32_t new_value) { value = new_value; }
  std::string _get_value_spec() { return value_spec; }
  void _set_value_spec(std::string value) { value_spec = value; }
  bool _get_is_value_changed() { return is_value_changed; }
  void _set_is_value_changed(bool value) { is_value_changed = value; }
  std::string _get_text() { return text; }
  void _set_text(std::string value) { text = value; }
  // How often the text was rendered since load.
  int _get_render_count() { return render_count; }

protected:
  // The value formatted with value_spec, cut to value_length characters.
  std::string format_value();
  void change_value(int32_t new_value);

  std::string renderer_type;
  std::string font;
  uint32_t font_color;
  int32_t font_size;
  std::string text;
  int32_t start_value;
  int32_t value_length;
  int32_t value;
  std::string value_spec;
  bool is_value_changed;
  int render_count;

private:
  void bind_slots();

  Slot<Numeric> slot_increment;
  Slot<Numeric> slot_decrement;
  Slot<Numeric> slot_add;
  Slot<Numeric> slot_sub;
  Slot<Numeric> slot_set;
  // Points the slot map entries of the other object's slots at ours.
  void repoint_slots(const Numeric& other);
};
