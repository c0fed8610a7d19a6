#pragma once
// What every widget shares: its style (values inherited from the active style set and
// overridden by the widget's own "style->" section), its base point and the release link that
// lets it see the end of a press that started on it.

#include <string>

#include "brannow/brannow.h"
#include "carrow/config.h"
#include "voskar/sceneobject.h"

class Scene;

// Copies the pairs whose key holds the prefix into the target, under the rest of the key.
class copyStyle : public config_functor {
public:
  copyStyle() = default;
  void operator()(std::string key, std::string value) override;

  void _set_prefix(std::string value) { prefix = value; }
  std::string _get_prefix() { return prefix; }
  void _set_target(Config_Interface* value) { target = value; }
  Config_Interface* _get_target() { return target; }

private:
  std::string prefix;
  Config_Interface* target = nullptr;
};

class BaseUIObject : public virtual SceneObject {
public:
  BaseUIObject();
  BaseUIObject(const BaseUIObject& other) = default;
  BaseUIObject& operator=(const BaseUIObject& other) = default;
  ~BaseUIObject() override;

  bool load(Scene* scene, std::string storage_name, std::string storage_prefix,
            std::string scene_name, std::string object_name,
            Brannow::FileManager* file_manager) override;
  bool real_load(Scene* scene, std::string storage_name, std::string storage_prefix,
                 std::string scene_name, std::string object_name,
                 Brannow::FileManager* file_manager);

  std::string _get_style() { return style; }
  void _set_style(std::string value) { style = value; }
  float _get_x_base() { return x_base; }
  void _set_x_base(float value) { x_base = value; }
  float _get_y_base() { return y_base; }
  void _set_y_base(float value) { y_base = value; }
  std::string _get__internal_style_name_() { return _internal_style_name_; }
  // The widget's own style values (null before load).
  Config_Interface* _get_style_config() { return style_config; }

protected:
  // A value of the widget's style by plain key ("font", "hover->font"); "" when absent.
  std::string style_value(const std::string& key);

  std::string style;
  float x_base, y_base;
  Config_Interface* style_config;
  std::string _internal_style_name_;
};
