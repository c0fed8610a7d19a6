#include "panolet/ui.h"

#include <filesystem>
#include <map>

#include "carrow/config.h"
#include "log.h"
#include "panolet/button.h"
#include "panolet/checkbox.h"
#include "panolet/fpscounter.h"
#include "panolet/keyboardmenu.h"
#include "panolet/numeric.h"
#include "panolet/sceneswitcher.h"
#include "panolet/textedit.h"
#include "panolet/volume.h"
#include "panolet/window.h"
#include "voskar/fabric.h"
#include "voskar/scene.h"

namespace {

std::string active_style_set;
ui_setting_listener setting_listener = nullptr;
Brannow::FileManager* style_file_manager = nullptr;

// The file each style set was loaded from, by the set's name.
std::map<std::string, std::string>& style_files() {
  static std::map<std::string, std::string> files;
  return files;
}

std::map<std::string, std::string>& settings() {
  static std::map<std::string, std::string> values;
  return values;
}

ObjectFabric<Button> button_fabric;
ObjectFabric<Checkbox> checkbox_fabric;
ObjectFabric<FPSCounter> fps_counter_fabric;
ObjectFabric<KeyboardMenu> keyboard_menu_fabric;
ObjectFabric<Numeric> numeric_fabric;
ObjectFabric<SceneSwitcher> scene_switcher_fabric;
ObjectFabric<TextEdit> text_edit_fabric;
ObjectFabric<Window> window_fabric;
ObjectFabric<Volume> volume_fabric;

}  // namespace

void ui_init() {
  SceneObjectFabric::add_fabric("Button", &button_fabric);
  SceneObjectFabric::add_fabric("Checkbox", &checkbox_fabric);
  SceneObjectFabric::add_fabric("FPSCounter", &fps_counter_fabric);
  SceneObjectFabric::add_fabric("KeyboardMenu", &keyboard_menu_fabric);
  SceneObjectFabric::add_fabric("Numeric", &numeric_fabric);
  SceneObjectFabric::add_fabric("SceneSwitcher", &scene_switcher_fabric);
  SceneObjectFabric::add_fabric("TextEdit", &text_edit_fabric);
  SceneObjectFabric::add_fabric("Window", &window_fabric);
  SceneObjectFabric::add_fabric("Volume", &volume_fabric);
}

bool ui_load_styleset(const std::string& file, const std::string& name,
                      Brannow::FileManager* file_manager) {
  style_file_manager = file_manager;
  if (!config_create(name, "libquorra", false)) {
    PANOLET_LOG("ui_load_styleset",
                "Error while trying to create config from libquorra: " + config_error());
    return false;
  }
  Config_Interface* config = config_get_interface(name);
  if (!config) {
    PANOLET_LOG_NO_EOL("ui_load_styleset", "Error with config");
    return false;
  }
  if (!config->load(file, file_manager))
    PANOLET_LOG("ui_load_styleset",
                "Error while loading style from file: " + file + " (" + config_error() + ")");
  if (active_style_set.empty()) active_style_set = name;
  style_files()[name] = file;
  return true;
}

int ui_reload_style_file(const std::string& file) {
  int reloaded = 0;
  for (const auto& [name, source] : style_files()) {
    if (std::filesystem::path(source).lexically_normal() != std::filesystem::path(file).lexically_normal())
      continue;
    // A configuration keeps the values loaded into it: the set starts afresh, under its name.
    config_remove(name);
    if (ui_load_styleset(file, name, style_file_manager)) ++reloaded;
  }
  return reloaded;
}

bool ui_set_active_style_set(std::string name) {
  if (!config_get_interface(name)) return false;
  active_style_set = name;
  return true;
}

std::string ui_get_active_style_set() { return active_style_set; }

Brannow::FileManager* ui_get_file_manager() { return style_file_manager; }

void ui_set_setting(std::string name, std::string value) {
  auto it = settings().find(name);
  if (it != settings().end() && it->second == value) return;
  settings()[name] = value;
  if (setting_listener) setting_listener(name, value);
}

void ui_set_setting_listener(ui_setting_listener listener) { setting_listener = listener; }

std::string ui_get_setting(std::string name, std::string default_value) {
  auto it = settings().find(name);
  return it == settings().end() ? default_value : it->second;
}

