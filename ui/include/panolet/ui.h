#pragma once
// Globals of the UI library: the widget types, the style sets and the settings that widgets of
// different scenes share.

#include <string>

#include "brannow/brannow.h"

class Scene;

// Registers the widget fabrics: "Button", "Checkbox", "FPSCounter", "Numeric", "SceneSwitcher",
// "TextEdit", "Window", "Volume".
void ui_init();

// Creates the configuration `name`, loads the style file into it and makes it the active set
// when none is active yet. false only when the configuration cannot be had; a file that cannot
// be read still leaves an (empty) set.
bool ui_load_styleset(const std::string& file, const std::string& name,
                      Brannow::FileManager* file_manager);

// Loads every style set that came from the file again, in place under its name (the active set
// stays active). Widgets read their style when they load: their scenes must load again to show
// it. Returns how many sets were reloaded.
int ui_reload_style_file(const std::string& file);

// false, keeping the active set, when no configuration of that name exists.
bool ui_set_active_style_set(std::string name);
std::string ui_get_active_style_set();

// The file manager last handed to ui_load_styleset (null before).
Brannow::FileManager* ui_get_file_manager();

// Process-wide settings by name: a check box in one scene stores its state here and a widget of
// another scene (an FPS counter) reads it when its scene comes back.
void ui_set_setting(std::string name, std::string value);
std::string ui_get_setting(std::string name, std::string default_value);
// Called after a setting took a new value (null: nobody is told), so that it can be kept.
using ui_setting_listener = void (*)(const std::string& name, const std::string& value);
void ui_set_setting_listener(ui_setting_listener listener);

