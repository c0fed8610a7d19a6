#include "saved_settings.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <sstream>

#include "../game_log.h"
#include "carrow/config.h"
#include "panolet/ui.h"
#include "user_file.h"

namespace {
const char* const CONFIG_NAME = "SavedSettingsFile";
const char* const REMEMBER = "remember_settings";

struct Remembered {
  std::vector<std::string> names;
  std::unique_ptr<UserFile> file;
  saved_setting_follower follower = nullptr;
};

Remembered& remembered() {
  static Remembered kept;
  return kept;
}

// A setting's name is one key of the file: no blanks, no section syntax, no "->".
bool usable_name(const std::string& name) {
  if (name.empty() || name[0] == '[' || name[0] == '/' || name.find("->") != std::string::npos) return false;
  return std::none_of(name.begin(), name.end(), [](char c) { return std::isspace(static_cast<unsigned char>(c)); });
}

void write_settings(const std::string& name, const std::string&) {
  Remembered& kept = remembered();
  if (!kept.file || std::find(kept.names.begin(), kept.names.end(), name) == kept.names.end()) return;
  Config_Interface* config = fresh_config(CONFIG_NAME);
  if (!config) return;
  for (const std::string& saved : kept.names) {
    std::string value = ui_get_setting(saved, "");
    // One line per value.
    std::replace_if(value.begin(), value.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    config->set_value("Settings->" + saved, value, true);
  }
  kept.file->write(config);
  config_remove(CONFIG_NAME);
  if (kept.follower) kept.follower(name, ui_get_setting(name, ""));
}
}  // namespace

std::vector<std::string> saved_setting_names() {
  std::vector<std::string> names;
  Config_Interface* config = config_get_interface("GameConfig");
  if (!config) return names;
  std::istringstream list(config->get_value("Options->SavedSettings", ""));
  for (std::string name; list >> name;) names.push_back(name);
  return names;
}

bool remember_settings(const std::vector<std::string>& names, Brannow::FileManager* files) {
  Remembered& kept = remembered();
  ui_set_setting_listener(nullptr);
  kept.names.clear();
  for (const std::string& name : names) {
    if (usable_name(name))
      kept.names.push_back(name);
    else
      GAME_CRITICAL(REMEMBER, "Setting \"" << name << "\" of Options->SavedSettings can't be kept: not a key name");
  }
  kept.file = std::make_unique<UserFile>("settings.cfg", "Settings", files);
  Config_Interface* config = fresh_config(CONFIG_NAME);
  if (!config) return false;
  const bool read = kept.file->read(config, nullptr);
  const std::vector<std::string> keys = keys_of(config);
  for (const std::string& name : kept.names) {
    const std::string key = "Settings->" + name;
    if (std::find(keys.begin(), keys.end(), key) != keys.end()) ui_set_setting(name, config->get_value(key, ""));
  }
  config_remove(CONFIG_NAME);
  if (!kept.names.empty()) ui_set_setting_listener(write_settings);
  return read;
}

void follow_saved_settings(saved_setting_follower follower) { remembered().follower = follower; }
