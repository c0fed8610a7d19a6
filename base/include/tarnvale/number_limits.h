#pragma once
// One table of every number the engine and the game check where they read it: the allowed
// range, the default and what a bad value costs. The programs read through read_number; the data
// checker checks files with check_number against the same table, so the two never disagree.
//
// A bad value (not a number, not finite, out of range) is reported in one line naming the file and the key, then replaced by the default, or
// the object is skipped when a default would make no sense (a wall with no place).

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "tarnvale/diagnostics.h"

namespace tarnvale {

enum class OnBadNumber {
  use_default,  // report, then go on with the default; with none, the key is ignored
  skip_object,  // report, then leave the object out
  nearest_end,  // report, then go on with the range's nearer end, or the default for no number
};

struct NumberLimit {
  // The key as written in its section, e.g. "StoneEmitter->emitCount"; objects read it after
  // their own prefix ("Objects->emitter->").
  std::string_view key;
  double min;
  double max;
  // The default as text, exactly as the readers have always passed it to get_value.
  std::string_view fallback;
  // Whole numbers (counts, sizes in pixels, iterations): read as the engine always has, "010"
  // octal and "0x10" hexadecimal, a fraction cut towards zero.
  bool whole;
  OnBadNumber on_bad;
  // 0 is allowed besides [min, max] and means "off" (LimitFPS 0: no frame limit).
  bool zero_is_off;
};

// Positions and offsets are in scene units (the screen is 1 x 1, the world 100 x 100): far
// beyond any screen, far within float precision and Box2D's comfortable range.
inline constexpr double kMaxPlace = 1e4;
// Largest window and surface side; the driver also caps surfaces at the context's maximum
// texture size when that is smaller.
inline constexpr double kMaxSide = 16384;

inline constexpr NumberLimit kNumberLimits[] = {
    // Scene objects (every object type reads these).
    {"SceneObject->absolute_x", -kMaxPlace, kMaxPlace, "0.0", false, OnBadNumber::skip_object, false},
    {"SceneObject->absolute_y", -kMaxPlace, kMaxPlace, "0.0", false, OnBadNumber::skip_object, false},
    {"SceneObject->link_v_offset", -kMaxPlace, kMaxPlace, "0.0", false, OnBadNumber::use_default, false},
    {"SceneObject->link_h_offset", -kMaxPlace, kMaxPlace, "0.0", false, OnBadNumber::use_default, false},
    {"Image->x_base", -kMaxPlace, kMaxPlace, "0.5", false, OnBadNumber::use_default, false},
    {"Image->y_base", -kMaxPlace, kMaxPlace, "0.5", false, OnBadNumber::use_default, false},
    {"Text->x_base", -kMaxPlace, kMaxPlace, "0.5", false, OnBadNumber::use_default, false},
    {"Text->y_base", -kMaxPlace, kMaxPlace, "0.5", false, OnBadNumber::use_default, false},
    {"BaseUIObject->x_base", -kMaxPlace, kMaxPlace, "0.5", false, OnBadNumber::use_default, false},
    {"BaseUIObject->y_base", -kMaxPlace, kMaxPlace, "0.5", false, OnBadNumber::use_default, false},
    {"Checkbox->x_base", -kMaxPlace, kMaxPlace, "0.5", false, OnBadNumber::use_default, false},
    {"Checkbox->y_base", -kMaxPlace, kMaxPlace, "0.5", false, OnBadNumber::use_default, false},
    {"TextEdit->x_base", -kMaxPlace, kMaxPlace, "0.5", false, OnBadNumber::use_default, false},
    {"TextEdit->y_base", -kMaxPlace, kMaxPlace, "0.5", false, OnBadNumber::use_default, false},
    // The drawing order of the scene's objects, low first: a number beyond an int's range still
    // orders its object, at that end.
    {"Scene->Objects->ObjectN->z_level", -2147483648.0, 2147483647.0, "0", true, OnBadNumber::nearest_end, false},
    // Above 0 the pointer shows over the scene.
    {"Scene->show_mouse_cursor", -1e6, 1e6, "1", true, OnBadNumber::use_default, false},
    // Text sizes in pixels, colours as 0xRRGGBBAA.
    {"Text->font_size", 0, 4096, "14", true, OnBadNumber::use_default, false},
    {"Text->color", 0, 4294967295.0, "0xffffffff", true, OnBadNumber::use_default, false},
    {"TextEdit->font_size", 0, 4096, "14", true, OnBadNumber::use_default, false},
    {"TextEdit->color", 0, 4294967295.0, "0xffffffff", true, OnBadNumber::use_default, false},
    // Compared without sign: -1 (or any number below 0) is no limit.
    {"TextEdit->max_length", -2147483648.0, 2147483647.0, "0", true, OnBadNumber::use_default, false},
    // 0: the background's width.
    {"TextEdit->view_width", 0, 4096, "0", true, OnBadNumber::use_default, false},
    {"FPSCounter->frames_count_limit", 1, 1e6, "150", true, OnBadNumber::use_default, false},
    {"Numeric->start_value", -2147483648.0, 2147483647.0, "0", true, OnBadNumber::use_default, false},
    {"Numeric->value_length", 0, 64, "1", true, OnBadNumber::use_default, false},
    {"Numeric->value", -2147483648.0, 2147483647.0, "0", true, OnBadNumber::use_default, false},
    // Per cent points of one step.
    {"Volume->step", 1, 100, "10", true, OnBadNumber::use_default, false},
    // Key numbers as the video driver gives them; 0: no key.
    {"Volume->mute_key", 0, 1e6, "0", true, OnBadNumber::use_default, false},
    {"SceneSwitcher->key", 0, 1e6, "0", true, OnBadNumber::use_default, false},
    {"ScoreTable->font_size", 0, 4096, "20", true, OnBadNumber::use_default, false},
    {"ScoreTable->color", 0, 4294967295.0, "0xffffffff", true, OnBadNumber::use_default, false},
    {"ScoreTable->row_height", 0, kMaxPlace, "0.1", false, OnBadNumber::use_default, false},
    {"ScoreTable->minimum_score", 0, 1e15, "0", true, OnBadNumber::use_default, false},
    {"ScorePopup->lifeTime", 0, 3600, "1", false, OnBadNumber::use_default, false},
    {"ScorePopup->rise", -kMaxPlace, kMaxPlace, "0.15", false, OnBadNumber::use_default, false},
    {"ScorePopup->holdTime", 0, 3600, "0", false, OnBadNumber::use_default, false},
    // A timer of time 0 fires every frame; its re-entry is bounded by the signal depth limit.
    {"Timer->time", 0, 1e9, "1.0", false, OnBadNumber::use_default, false},
    // Sounds: a volume is a share of full loudness; pitches beyond two octaves are noise.
    {"Sound->volume", 0, 1, "1.0", false, OnBadNumber::use_default, false},
    {"Sound->pitch", 0.25, 4, "1.0", false, OnBadNumber::use_default, false},
    {"Sound->pitch_step", -12, 12, "0", false, OnBadNumber::use_default, false},
    // The sound driver's effects that sound at once (cfg/Sound.cfg).
    {"Sound->Voices", 1, 255, "32", true, OnBadNumber::use_default, false},
    {"Window->width", 1, kMaxSide, "100", true, OnBadNumber::use_default, false},
    {"Window->height", 1, kMaxSide, "100", true, OnBadNumber::use_default, false},
    // Style keys, as a style writes them ("font_size"); their "hover->" twins read the same
    // limits. An absent key keeps the value an empty style has always given.
    {"font_size", 0, 4096, "0", true, OnBadNumber::use_default, false},
    {"font_color", 0, 4294967295.0, "0", true, OnBadNumber::use_default, false},
    {"padding", 0, 4096, "0", true, OnBadNumber::use_default, false},
    {"cursor_width", 0, 4096, "0", true, OnBadNumber::use_default, false},
    {"cursor_blink", 0, 3600, "0.5", false, OnBadNumber::use_default, false},
    // Physics scene (the game scene file).
    {"Scene->gravity_x", -1e4, 1e4, "0", false, OnBadNumber::use_default, false},
    {"Scene->gravity_y", -1e4, 1e4, "0", false, OnBadNumber::use_default, false},
    {"Scene->timeStep", 1e-4, 1, "0.0166666666", false, OnBadNumber::use_default, false},
    // Box2D's cost grows linearly with the iterations; 1000 is already far past any benefit.
    {"Scene->velocityIterations", 1, 1000, "10", true, OnBadNumber::use_default, false},
    {"Scene->positionIterations", 1, 1000, "10", true, OnBadNumber::use_default, false},
    // Sub-steps of one step: each costs a whole world step.
    {"Scene->subSteps", 1, 64, "1", true, OnBadNumber::use_default, false},
    // The game's rules (the game scene file).
    {"Scene->gameOverHold", 0, 3600, "2", false, OnBadNumber::use_default, false},
    {"Scene->gameOverLineColor", 0, 4294967295.0, "0xffffff40", true, OnBadNumber::use_default, false},
    // 0: the line keeps its colour while stones rest above it.
    {"Scene->gameOverLineWarningColor", 0, 4294967295.0, "0", true, OnBadNumber::use_default, false},
    // Larger groups never score less than their size.
    {"Scene->groupBonus", 0, 1e6, "0", true, OnBadNumber::use_default, false},
    // A share: the refill's own groups never score more than the player's.
    {"Scene->refillGroupPercent", 0, 100, "100", true, OnBadNumber::use_default, false},
    {"Scene->bestScoresMinimum", 0, 1e15, "0", true, OnBadNumber::use_default, false},
    {"Scene->swapSeconds", 0, 3600, "0", false, OnBadNumber::use_default, false},
    {"Scene->rejectSeconds", 0, 3600, "0", false, OnBadNumber::use_default, false},
    // 0: no hints.
    {"Scene->hintSeconds", 0, 3600, "0", false, OnBadNumber::use_default, false},
    {"Scene->hintColor", 0, 4294967295.0, "0xffffffc0", true, OnBadNumber::use_default, false},
    {"Scene->cursorColor", 0, 4294967295.0, "0x60d0ffff", true, OnBadNumber::use_default, false},
    // No default: a scene without the line has no game over by height.
    {"Scene->gameOverLine", -kMaxPlace, kMaxPlace, "", false, OnBadNumber::use_default, false},
    // No default: a step is listed by its score.
    {"Scene->Pace->StepN->score", 0, 1e9, "", true, OnBadNumber::use_default, false},
    {"Scene->Pace->StepN->refillTime", 0, 3600, "0", false, OnBadNumber::use_default, false},
    {"Scene->Pace->StepN->emitCount", 0, 1000, "0", true, OnBadNumber::use_default, false},
    // Walls of the level file.
    {"Border->rotation", -1e6, 1e6, "0", false, OnBadNumber::use_default, false},
    // Stones.
    {"BaseStone->density", 0, 1e6, "1.0", false, OnBadNumber::use_default, false},
    {"BaseStone->friction", 0, 1e3, "0.0", false, OnBadNumber::use_default, false},
    {"BaseStone->restitution", 0, 1e3, "0.0", false, OnBadNumber::use_default, false},
    // The emitter: a burst is made within one frame, so its counts bound that frame's work.
    {"StoneEmitter->stoneTypeCount", 1, 1000, "5", true, OnBadNumber::use_default, false},
    {"StoneEmitter->emitCount", 0, 1000, "10", true, OnBadNumber::use_default, false},
    {"StoneEmitter->initialEmit", 0, 1000, "50", true, OnBadNumber::use_default, false},
    {"StoneEmitter->stoneWidth", 1e-4, 100, "0.0625", false, OnBadNumber::use_default, false},
    {"StoneEmitter->stoneHeight", 1e-4, 100, "0.0625", false, OnBadNumber::use_default, false},
    {"StoneEmitter->width", 0, 100, "1.0", false, OnBadNumber::use_default, false},
    // Particles of a burst: 10000 of them are a few hundred kilobytes.
    {"StoneParticles->particleCount", 0, 10000, "50", true, OnBadNumber::use_default, false},
    {"StoneParticles->particleSize", 0, 4096, "32", false, OnBadNumber::use_default, false},
    {"StoneParticles->power", -1e6, 1e6, "10", false, OnBadNumber::use_default, false},
    {"StoneParticles->lifeTime", 0, 3600, "0.5", false, OnBadNumber::use_default, false},
    // Video settings (cfg/Video.cfg).
    {"Video->Width", 1, kMaxSide, "800", true, OnBadNumber::use_default, false},
    {"Video->Height", 1, kMaxSide, "600", true, OnBadNumber::use_default, false},
    {"Video->BaseHeight", 1, kMaxSide, "600", true, OnBadNumber::use_default, false},
    // Frames a windowless run lasts; 0: until the game ends it.
    {"Video->Frames", 0, 1e9, "0", true, OnBadNumber::use_default, false},
    {"Video->WindowWidth", 0, kMaxSide, "0", true, OnBadNumber::use_default, false},
    {"Video->WindowHeight", 0, kMaxSide, "0", true, OnBadNumber::use_default, false},
    // At least one frame a second, so a frame never waits for more than a second.
    {"Video->LimitFPS", 1, 10000, "0.0", false, OnBadNumber::use_default, true},
};

// The limit of a key as written in its section; null for a key the table does not check.
inline const NumberLimit* find_number_limit(std::string_view key) {
  for (const NumberLimit& limit : kNumberLimits)
    if (limit.key == key) return &limit;
  return nullptr;
}

// Reads `text` against the limit: true with *value set when it is good; otherwise false with
// *reason saying why ("is not a number", "is not finite", "is out of range 1 to 1000"), and
// *value the number read when it is only out of range, else NaN.
inline bool check_number(const NumberLimit& limit, const std::string& text, double* value,
                         std::string* reason) {
  *value = std::nan("");
  const char* start = text.c_str();
  char* end = nullptr;
  errno = 0;
  double parsed = std::strtod(start, &end);
  const bool range_error = errno == ERANGE;
  if (limit.whole) {
    char* whole_end = nullptr;
    errno = 0;
    const long long whole = std::strtoll(start, &whole_end, 0);
    if (errno != ERANGE && (whole_end == end || (whole_end != start && *whole_end == '\0'))) {
      end = whole_end;
      parsed = static_cast<double>(whole);
    }
  }
  while (end != start && (*end == ' ' || *end == '\t' || *end == '\r')) ++end;
  if (end == start || *end != '\0') {
    *reason = "is not a number";
    return false;
  }
  if (!std::isfinite(parsed) || range_error) {
    if (!std::isfinite(parsed) || std::fabs(parsed) > 1.0) {
      *reason = "is not finite";
      return false;
    }
    // An underflow reads as zero or a denormal; the range check below decides.
  }
  if (limit.whole) parsed = std::trunc(parsed);
  if (!(limit.zero_is_off && parsed == 0.0) && (parsed < limit.min || parsed > limit.max)) {
    std::ostringstream out;
    out << "is out of range " << limit.min << " to " << limit.max;
    if (limit.zero_is_off) out << " (or 0 for off)";
    *reason = out.str();
    *value = parsed;
    return false;
  }
  *value = parsed;
  return true;
}

// The default as a number; each default is written once, as text, in the table.
inline double number_default(const NumberLimit& limit) {
  return std::strtod(std::string(limit.fallback).c_str(), nullptr);
}

// The number of a key of the table: its default when the key is not in the table's bounds.
inline double number_default(std::string_view key) {
  const NumberLimit* limit = find_number_limit(key);
  return limit ? number_default(*limit) : 0.0;
}

// The one line a bad value is reported with, e.g.
// `res/game/game.scn: Scene->timeStep "nan" is not finite; using 0.0166666666`.
inline std::string bad_number_message(const std::string& file, const std::string& key_path,
                                      const std::string& text, const std::string& reason,
                                      const NumberLimit& limit, bool held_at_end = false) {
  std::string line = file + ": " + key_path + " \"" + text + "\" " + reason;
  if (held_at_end)
    line += "; using the nearest end";
  else if (limit.on_bad == OnBadNumber::skip_object)
    line += "; the object is left out";
  else if (limit.fallback.empty())
    line += "; ignored";
  else
    line += "; using " + std::string(limit.fallback);
  return line;
}

// Reports a bad value to the diagnostics sink (a warning: the default stands in) or, for a value
// whose object is left out, gives the line back in *left_out when the caller reports the failed
// load itself; answers the value to go on with.
inline double report_bad_number(const std::string& file, const std::string& key_path,
                                const std::string& text, const std::string& reason,
                                const NumberLimit& limit, std::string* left_out = nullptr) {
  const std::string line = bad_number_message(file, key_path, text, reason, limit);
  const bool skipped = limit.on_bad == OnBadNumber::skip_object;
  if (skipped && left_out != nullptr)
    *left_out = line;
  else
    report_data_problem(skipped ? Severity::error : Severity::warning, file, key_path, line);
  return number_default(limit);
}

// Where a bad value is reported: the data file and the key as written there.
struct WrittenAt {
  std::string file;
  std::string key_path;
};

// Reads `key_path` from any configuration with get_value(key, default) (an absent key takes the
// default, as everywhere) and checks it against `limit`. A bad value is reported under
// `written_at()`, asked only then: a value may be read under another key than it was written
// under (a widget's style). Answers true with *value set (the value read, or the default after a
// report); false when the object must be left out, or the key has no default and is ignored.
template <typename Config, typename WrittenAtFn>
bool read_number_written_at(Config* config, const std::string& key_path, const NumberLimit& limit,
                            WrittenAtFn written_at, double* value, std::string* left_out = nullptr) {
  const std::string text = config->get_value(key_path, std::string(limit.fallback));
  std::string reason;
  if (check_number(limit, text, value, &reason)) return true;
  const WrittenAt at = written_at();
  if (limit.on_bad == OnBadNumber::nearest_end && !std::isnan(*value)) {
    *value = *value < limit.min ? limit.min : limit.max;
    report_data_problem(Severity::warning, at.file, at.key_path,
                        bad_number_message(at.file, at.key_path, text, reason, limit, true));
    return true;
  }
  *value = report_bad_number(at.file, at.key_path, text, reason, limit, left_out);
  return limit.on_bad == OnBadNumber::use_default && !limit.fallback.empty();
}

// The same for a value written in `file` under the key it is read with.
template <typename Config>
bool read_number(Config* config, const std::string& key_path, const NumberLimit& limit,
                 const std::string& file, double* value, std::string* left_out = nullptr) {
  return read_number_written_at(
      config, key_path, limit, [&] { return WrittenAt{file, key_path}; }, value, left_out);
}

// The same for a key of the table read under `prefix` (an object's "Objects->name->").
template <typename Config>
bool read_number(Config* config, const std::string& prefix, std::string_view key,
                 const std::string& file, double* value, std::string* left_out = nullptr) {
  const NumberLimit* limit = find_number_limit(key);
  if (limit == nullptr) {
    report_data_problem(Severity::error, file, prefix + std::string(key),
                        file + ": " + prefix + std::string(key) + " has no known limits");
    return false;
  }
  return read_number(config, prefix + std::string(key), *limit, file, value, left_out);
}

// Flags are yes exactly when the value is their yes word, to the letter; any other value is no.
// Settings files write "yes" and "no", scene files "true" and "false".
struct FlagLimit {
  std::string_view key;
  std::string_view fallback;  // as text, as get_value stores it for an absent key
  std::string_view yes;
  std::string_view no;
};

inline constexpr FlagLimit kFlagLimits[] = {
    {"SceneObject->show", "true", "true", "false"},
    {"SceneObject->require_alpha_collision", "false", "true", "false"},
    {"Timer->repeat", "", "true", "false"},
    {"Checkbox->checked", "false", "true", "false"},
    {"SceneSwitcher->restart", "false", "true", "false"},
    {"Scenes->SceneN->preload", "false", "true", "false"},
    {"StoneParticles->outline", "true", "true", "false"},
    {"StoneParticles->stoneColour", "false", "true", "false"},
    {"StoneParticles->underSprites", "false", "true", "false"},
    {"StoneParticles->hitStones", "true", "true", "false"},
    {"Scene->bestScores", "false", "true", "false"},
    {"Scene->pauseKeys", "false", "true", "false"},
    {"Scene->cascadeScoring", "false", "true", "false"},
    {"Scene->cancelSelection", "false", "true", "false"},
    {"Scene->keyboardCursor", "false", "true", "false"},
    {"Video->DoubleBuffer", "yes", "yes", "no"},
    {"Video->FullScreen", "yes", "yes", "no"},
    {"Video->HideMouse", "yes", "yes", "no"},
    {"Video->VBO", "yes", "yes", "no"},
    {"Video->PointSprite", "yes", "yes", "no"},
    {"Video->SkipUnchangedFrames", "no", "yes", "no"},
    {"Video->FirstFrameAtOnce", "no", "yes", "no"},
    {"Video->Resizable", "no", "yes", "no"},
    {"Sound->loop", "false", "true", "false"},
    {"Sound->play_on_enter", "false", "true", "false"},
    {"FPSCounter->last_second", "false", "true", "false"},
};

inline const FlagLimit* find_flag_limit(std::string_view key) {
  for (const FlagLimit& limit : kFlagLimits)
    if (limit.key == key) return &limit;
  return nullptr;
}

// Reads a flag at its full key path (an absent key takes the default, as everywhere).
template <typename Config>
bool read_flag(Config* config, const std::string& key_path, const FlagLimit& limit) {
  return config->get_value(key_path, std::string(limit.fallback)) == limit.yes;
}

// The same for a key of the flag table read under `prefix` (an object's "Objects->name->"); a
// key the table does not know reads as no.
template <typename Config>
bool read_flag(Config* config, const std::string& prefix, std::string_view key) {
  const FlagLimit* limit = find_flag_limit(key);
  return limit != nullptr && read_flag(config, prefix + std::string(key), *limit);
}

}  // namespace tarnvale
