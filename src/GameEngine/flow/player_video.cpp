#include "player_video.h"

#include <cstdio>

#include "../game_log.h"
#include "carrow/config.h"
#include "olvane/video.h"
#include "panolet/ui.h"
#include "saved_settings.h"
#include "tarnvale/number_limits.h"

namespace {
const char* const WINDOW_SIZE = "WindowSize";
const char* const FULL_SCREEN = "FullScreen";
const char* const FRAME_RATE = "FrameRate";

std::string& followed_video() {
  static std::string name;
  return name;
}

// The window's mode once start-up had applied the player's settings and cfg/Video.cfg.
bool& started_full_screen() {
  static bool full = false;
  return full;
}

void report(const char* setting, const std::string& value, const char* expected) {
  GAME_CRITICAL("player_video", "settings.cfg: Settings->" << setting << " \"" << value
                                    << "\" is not " << expected
                                    << "; the window keeps what cfg/Video.cfg says");
}

// "1024x768" (or with "×"); false for anything else.
bool parse_size(const std::string& text, int* width, int* height) {
  int w = 0, h = 0, used = 0;
  std::string normal = text;
  const std::string times = "\xC3\x97";  // ×
  if (const auto at = normal.find(times); at != std::string::npos) normal.replace(at, times.size(), "x");
  if (std::sscanf(normal.c_str(), "%d x %d%n", &w, &h, &used) != 2 ||
      used != static_cast<int>(normal.size()))
    return false;
  if (w < 1 || h < 1 || w > tarnvale::kMaxSide || h > tarnvale::kMaxSide) return false;
  *width = w;
  *height = h;
  return true;
}

// Within what cfg/Video.cfg may say for LimitFPS.
bool parse_frame_rate(const std::string& text, float* rate) {
  double value = 0;
  std::string reason;
  if (!tarnvale::check_number(*tarnvale::find_number_limit("Video->LimitFPS"), text, &value, &reason))
    return false;
  *rate = static_cast<float>(value);
  return true;
}

bool parse_flag(const std::string& text, bool* on) {
  if (text != "1" && text != "0") return false;
  *on = text == "1";
  return true;
}

void window_setting_changed(const std::string& name, const std::string& value) {
  Video_Interface* video = followed_video().empty() ? nullptr : video_get_interface(followed_video());
  if (video == nullptr) return;
  if (name == FRAME_RATE) {
    float rate = 0;
    if (parse_frame_rate(value, &rate))
      video->_set_frame_limit(rate);
    else
      report(FRAME_RATE, value, "0 (no limit) or a frame rate from 1 to 10000");
    return;
  }
  if (name != WINDOW_SIZE && name != FULL_SCREEN) return;
  int width = video->_get_width(), height = video->_get_height();
  bool full = false;
  const std::string size = ui_get_setting(WINDOW_SIZE, "");
  if (!size.empty() && !parse_size(size, &width, &height)) report(WINDOW_SIZE, size, "a size like 1024x768");
  const std::string full_text = ui_get_setting(FULL_SCREEN, "0");
  if (!parse_flag(full_text, &full)) report(FULL_SCREEN, full_text, "\"1\" or \"0\"");
  if (!video->_set_window_mode(width, height, full))
    GAME_INFO("The window's size is fixed by cfg/Video.cfg (Video->Resizable): the new size "
              "takes effect when the game starts again");
}
}  // namespace

void apply_player_video_settings(Config_Interface* video_config) {
  if (video_config == nullptr) return;
  int width = 0, height = 0;
  bool full = false;
  float rate = 0;
  if (const std::string size = ui_get_setting(WINDOW_SIZE, ""); !size.empty()) {
    if (parse_size(size, &width, &height)) {
      video_config->set_value("Video->WindowWidth", std::to_string(width), true);
      video_config->set_value("Video->WindowHeight", std::to_string(height), true);
    } else {
      report(WINDOW_SIZE, size, "a size like 1024x768");
    }
  }
  if (const std::string text = ui_get_setting(FULL_SCREEN, ""); !text.empty()) {
    if (parse_flag(text, &full))
      video_config->set_value("Video->FullScreen", full ? "yes" : "no", true);
    else
      report(FULL_SCREEN, text, "\"1\" or \"0\"");
  }
  if (const std::string text = ui_get_setting(FRAME_RATE, ""); !text.empty()) {
    if (parse_frame_rate(text, &rate))
      video_config->set_value("Video->LimitFPS", text, true);
    else
      report(FRAME_RATE, text, "0 (no limit) or a frame rate from 1 to 10000");
  }
}

void follow_player_video_settings(const std::string& video_name) {
  followed_video() = video_name;
  if (Video_Interface* video = video_get_interface(video_name))
    started_full_screen() = video->_is_full_screen();
  follow_saved_settings(window_setting_changed);
}

void keep_player_window_mode() {
  Video_Interface* video = followed_video().empty() ? nullptr : video_get_interface(followed_video());
  if (video == nullptr) return;
  const bool full = video->_is_full_screen();
  bool asked = started_full_screen();
  parse_flag(ui_get_setting(FULL_SCREEN, ""), &asked);
  if (full == asked) return;
  // The window is closing: the new value is kept, not applied.
  followed_video().clear();
  ui_set_setting(FULL_SCREEN, full ? "1" : "0");
}
