#include "startup.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include <unistd.h>

#include "../GameEngine/game_fabrics.h"
#include "../GameEngine/flow/player_video.h"
#include "../GameEngine/flow/saved_settings.h"
#include "../GameEngine/game_log.h"
#include "carrow/config.h"
#include "chime/sound.h"
#include "olvane/video.h"
#include "panolet/ui.h"
#include "panolet/volume.h"
#include "scrivet/textrenderer.h"
#include "tarnvale/indexed_list.h"
#include "tarnvale/number_limits.h"
#include "vistrel/imageloader.h"
#include "voskar/game_module.h"
#include "voskar/scenemanager.h"

namespace {
const char* const CONFIG_PLUGIN = "libquorra";
const char* const VIDEO_NAME = "Video";

bool create_text_renderer() {
  if (textrenderer_create("ttf", "libmordent", true)) return true;
  GAME_CRITICAL("init_loaders", "Failed to load TTF renderer \"libmordent_x\"" << textrenderer_error());
  return false;
}

bool create_config(const char* name, const char* function) {
  if (config_create(name, CONFIG_PLUGIN, true)) return true;
  GAME_CRITICAL(function, "Error while trying to create config from libquorra: " << config_error());
  return false;
}

// Tests set TARNVALE_SEED or --seed for repeatable games; players get the time.
void seed_random_generator(const StartupOptions& options) {
  const char* seed = std::getenv("TARNVALE_SEED");
  if (options.seed_given)
    srand(static_cast<unsigned>(options.seed));
  else if (seed && *seed)
    srand(static_cast<unsigned>(strtoul(seed, nullptr, 0)));
  else
    srand(static_cast<unsigned>(time(nullptr)));
}
// The driver reads these too but knows only the configuration's name: the file is named here,
// and a bad value is replaced by its default before the driver sees it.
void check_video_numbers(Config_Interface* config, const std::string& file) {
  const std::string section = "Video->";
  for (const tarnvale::NumberLimit& limit : tarnvale::kNumberLimits) {
    if (limit.key.substr(0, section.size()) != section) continue;
    const std::string key(limit.key);
    const std::string text = config->get_value(key, std::string(limit.fallback));
    double value = 0;
    std::string reason;
    if (tarnvale::check_number(limit, text, &value, &reason)) continue;
    tarnvale::report_bad_number(file, key, text, reason, limit);
    config->set_value(key, std::string(limit.fallback), true);
  }
}
void apply_overrides(const StartupOptions& options, const std::string& name, Config_Interface* config) {
  for (const SettingOverride& o : options.overrides) {
    if (o.config != name) continue;
    config->set_value(o.key, o.value, true);
    if (options.verbose) std::cerr << name << ": " << o.key << " = " << o.value << " for this run" << std::endl;
  }
}
}  // namespace

void startup_mark(const char* stage) {
  static const char* origin = std::getenv("TARNVALE_STARTUP_ORIGIN");
  if (origin == nullptr || *origin == '\0') return;
  timespec wall{}, cpu{};
  clock_gettime(CLOCK_MONOTONIC, &wall);
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
  const double since = (wall.tv_sec * 1e9 + wall.tv_nsec - std::strtod(origin, nullptr)) * 1e-6;
  std::fprintf(stderr, "startup: %-16s %7.1f ms wall %7.1f ms CPU\n", stage, since,
               cpu.tv_sec * 1e3 + cpu.tv_nsec * 1e-6);
}

bool init_fonts(Brannow::FileManager* file_manager) {
  Config_Interface* config = config_get_interface("GameConfig");
  if (!config) {
    GAME_CRITICAL("init_fonts", "Error with config");
    return false;
  }
  Text_Renderer* renderer = textrenderer_get("ttf");
  if (!renderer) {
    GAME_CRITICAL("init_fonts", "Error while getting ttf renderer");
    return false;
  }
  bool loaded = true;
  std::vector<std::string> prefixes;
  tarnvale::for_each_listed(config, "Fonts->Font", "->", "name", [&](const std::string& prefix,
                                                                     const std::string& name, int) {
    const std::string source = config->get_value(prefix + "source", "");
    GAME_INFO("Loading font: \"" << name << "\" from source: " << source);
    loaded = renderer->load_font(name, source, file_manager);
    if (!loaded) GAME_CRITICAL("init_fonts", "Error while loading font:" << renderer->get_error());
    prefixes.push_back(prefix);
    return loaded;
  });
  if (!loaded) return false;
  // Every font is loaded before any falls back to another, which may come later in the list.
  for (const std::string& prefix : prefixes) {
    const std::string key = prefix + "fallback";
    const std::string fallback = config->get_value(key, "");
    if (fallback.empty()) continue;
    if (!renderer->set_fallback_font(config->get_value(prefix + "name", ""), fallback))
      GAME_CRITICAL("init_fonts", "cfg/Game.cfg: " << key << " \"" << fallback << "\": "
                                      << renderer->get_error()
                                      << "; the font draws without a fallback");
  }
  return true;
}

bool init_loaders(Brannow::FileManager* file_manager) {
  if (!imageloader_create("jpg", "libgrisk_jpg", true)) {
    GAME_CRITICAL("init_loaders", "Failed to load JPEG loader \"libgrisk_jpg\"" << imageloader_error());
    return false;
  }
  if (!imageloader_create("png", "libgrisk_png", true)) {
    GAME_CRITICAL("init_loaders", "Failed to load PNG loader \"libgrisk_png\"" << imageloader_error());
    return false;
  }
  return load_text_renderer(file_manager);
}

bool load_text_renderer(Brannow::FileManager* file_manager) {
  return create_text_renderer() && init_fonts(file_manager);
}

std::vector<std::string> font_files() {
  std::vector<std::string> files;
  if (Config_Interface* config = config_get_interface("GameConfig"))
    tarnvale::for_each_listed(config, "Fonts->Font", "->", "name",
                              [&](const std::string& prefix, const std::string&, int) {
                                files.push_back(config->get_value(prefix + "source", ""));
                              });
  return files;
}

namespace {
// The driver prepare_sound found named, for start_sound.
std::string& prepared_sound_driver() {
  static std::string driver;
  return driver;
}
}  // namespace

void prepare_sound(Brannow::FileManager* file_manager) {
  prepared_sound_driver().clear();
  if (!create_config("SoundConfig", "prepare_sound")) return;
  Config_Interface* config = config_get_interface("SoundConfig");
  // No settings file is the silent default; a file that is there but unreadable is reported.
  if (config == nullptr || access("cfg/Sound.cfg", F_OK) != 0) return;
  if (!config->load("cfg/Sound.cfg", file_manager)) {
    std::cerr << "cfg/Sound.cfg: can't be read, the game goes on without sound: " << config_error()
              << std::endl;
    return;
  }
  const std::string driver = config->get_value("Sound->Driver", "");
  if (driver.empty()) return;
  for (const char* kind : {"wav", "ogg"})
    if (!soundloader_create(kind, std::string("libchime_") + kind, true))
      std::cerr << "Sound: " << sound_error() << std::endl;
  prepared_sound_driver() = driver;
}

void start_sound() {
  const std::string driver = prepared_sound_driver();
  prepared_sound_driver().clear();
  if (driver.empty()) return;
  const std::string params[2] = {"SoundConfig", "Sound->"};
  if (!sound_create(SOUND_NAME, driver, params, 2)) {
    std::cerr << "Sound: " << sound_error() << "; the game goes on without sound" << std::endl;
    return;
  }
  Sound_Interface* sound = sound_get_interface(SOUND_NAME);
  if (!sound->_init()) {
    std::cerr << "Sound: " << sound->_get_error() << "; the game goes on without sound" << std::endl;
    sound_remove(SOUND_NAME);
    return;
  }
  ui_apply_sound_settings();
}

void SoundAfterFirstFrame::frame_ended() {
  if (started_) return;
  started_ = true;
  start_sound();
}

bool init(Brannow::FileManager* file_manager, const StartupOptions& options) {
  if (!create_config("GameConfig", "init")) return false;
  Config_Interface* game_config = config_get_interface("GameConfig");
  if (!game_config) {
    GAME_CRITICAL("init", "Error with config");
    return false;
  }
  if (!game_config->load("cfg/Game.cfg", file_manager))
    GAME_CRITICAL("init", "Can't load the game settings, going on with defaults: " << config_error());
  apply_overrides(options, "GameConfig", game_config);
  startup_mark("game config");

  if (!init_loaders(file_manager)) return false;
  startup_mark("loaders, fonts");

  if (!create_config("VideoConfig", "init")) return false;
  Config_Interface* video_config = config_get_interface("VideoConfig");
  if (!video_config) {
    GAME_CRITICAL("init", "Erro with config");
    return false;
  }
  if (!video_config->load("cfg/Video.cfg", file_manager))
    GAME_CRITICAL("init", "Can't load the video settings, going on with defaults: " << config_error());
  apply_overrides(options, "VideoConfig", video_config);
  check_video_numbers(video_config, "cfg/Video.cfg");
  // The player's own settings come first: their window size opens the window.
  remember_settings(saved_setting_names(), file_manager);
  apply_player_video_settings(video_config);

  const std::string driver = video_config->get_value("Video->Driver", "libGL_vantor");
  GAME_INFO("Video driver: " << driver);
  if (driver.empty()) {
    GAME_CRITICAL("init", "cfg/Video.cfg: Video->Driver is empty: no video driver named");
    return false;
  }
  std::string params[3] = {"VideoConfig", "Video->", "VX_Video"};
  if (!video_create(VIDEO_NAME, driver, params, 3, 0)) {
    GAME_CRITICAL("init", "Error while trying to create video from " << driver << ":" << video_error());
    return false;
  }
  startup_mark("video plug-in");
  Video_Interface* video = video_get_interface(VIDEO_NAME);
  // Without the driver just created there is nothing to run the game on.
  if (!video) {
    GAME_CRITICAL("init", "Error while trying to initialyze video: " << video_error());
    return false;
  }
  if (!video->_init()) {
    GAME_CRITICAL("init", "Error while trying to initialyze video: " << video->_get_error());
    return false;
  }
  startup_mark("window, context");
  follow_player_video_settings(VIDEO_NAME);
  init(std::string(VIDEO_NAME));
  SceneFabric::add_fabric("GameScene", game_scene_fabric());
  seed_random_generator(options);
  ui_init();
  ui_load_styleset("res/interface/base.style", "BaseStyle", file_manager);
  // Known before the scene list loads: menus place game objects too (the best scores table).
  register_game_object_fabrics();
  // After every built-in type: a module's type may not take one of their names.
  for (const std::string& module : load_game_modules(game_config, "cfg/Game.cfg", std::cerr))
    GAME_INFO("Game module: " << module);
  prepare_sound(file_manager);
  startup_mark("scene manager, ui");
  return true;
}
