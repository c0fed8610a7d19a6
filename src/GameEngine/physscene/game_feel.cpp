#include "game_feel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "../GameObjects/basestone/basestone.h"
#include "../GameObjects/score_popup/score_popup.h"
#include "../GameObjects/stoneemitter/stoneemitter.h"
#include "../game_log.h"
#include "carrow/config.h"
#include "olvane/video.h"
#include "panolet/numeric.h"
#include "physscene.h"
#include "tarnvale/indexed_list.h"
#include "twinkel/signals.h"
#include "voskar/object_from_data.h"
#include "voskar/text.h"
#include "voskar/timer.h"

namespace {
const double NO_MOVE_SECONDS = 2.0;
const double WARNING_AFTER_SECONDS = 0.25;
// The glow around the hinted stones pulses twice a second between full and this opacity.
const float HINT_FAINTEST = 0.45f;
const double HINT_BLINKS_PER_SECOND = 2.0;
// The shade changes in this many steps a second, not every frame: frames in between show the
// same picture, which the driver need not draw again.
const double HINT_SHADES_PER_SECOND = 15.0;
const double TWO_PI = 6.283185307179586;

void replace_n(std::string& text, long n) {
  const size_t at = text.find("{n}");
  if (at != std::string::npos) text.replace(at, 3, std::to_string(n));
}

void set_text(Text* label, const std::string& template_text, long n) {
  std::string text = template_text;
  replace_n(text, n);
  SlotArgs args;
  args.string_params.push_back(text);
  label->slot__on_set_text(&args);
}
}  // namespace

GameFeel::GameFeel(PhysScene* owner) : scene(owner) {}

void GameFeel::read_keys(Config_Interface* config) {
  auto value = [&](const std::string& key, const char* fallback) {
    return config->get_value("Scene->" + key, fallback);
  };
  keys = Keys();
  pace_timer = nullptr;
  pace_emitter = nullptr;
  combo_label = nullptr;
  warning_label = nullptr;
  level_shown = nullptr;
  FieldModel::Rules rules = scene->field().get_rules();
  rules.cascade_scoring = tarnvale::read_flag(config, "", "Scene->cascadeScoring");
  const std::string file = scene->get_storage_file();
  read_scene_number(config, file, "Scene->groupBonus", &rules.group_bonus);
  read_scene_number(config, file, "Scene->refillGroupPercent", &rules.unearned_percent);
  keys.score_popup = value("scorePopup", "");
  keys.combo_label = value("comboLabel", "");
  keys.combo_text = value("comboText", "x{n}");
  read_scene_number(config, file, "Scene->swapSeconds", &keys.swap_seconds);
  read_scene_number(config, file, "Scene->rejectSeconds", &keys.reject_seconds);
  keys.pace_timer = value("paceTimer", "");
  keys.pace_emitter = value("paceEmitter", "");
  keys.level_object = value("levelObject", "");
  read_scene_number(config, file, "Scene->hintSeconds", &keys.hint_seconds);
  keys.no_move_label = value("noMoveLabel", "");
  read_scene_number(config, file, "Scene->hintColor", &keys.hint_colour);
  glow.set(scene->get_video_name(), scene->get_name(), keys.hint_colour, "hintGlow");
  keys.warning_label = value("warningLabel", "");
  keys.warning_text = value("warningText", "{n}");
  tarnvale::for_each_listed(config, "Scene->Pace->Step", "->", "score", [&](const std::string& step,
                                                                              const std::string&, int i) {
    PaceStep pace;
    if (!read_scene_number(config, file, step + "score", "Scene->Pace->StepN->score", &pace.score)) return;
    read_scene_number(config, file, step + "refillTime", "Scene->Pace->StepN->refillTime", &pace.refill_seconds);
    read_scene_number(config, file, step + "emitCount", "Scene->Pace->StepN->emitCount", &pace.emit_count);
    // Steps out of order would take the pace back down as the score rises.
    if (!keys.pace.empty() && pace.score <= keys.pace.back().score) {
      GAME_INFO("Pace step " << i << " of " << scene->get_name() << " ignored: its score " << pace.score
                             << " is not above the step before");
      return;
    }
    keys.pace.push_back(pace);
  });
  rules.pace_scores.clear();
  for (const PaceStep& step : keys.pace) rules.pace_scores.push_back(step.score);
  scene->field().set_rules(rules);
}

BaseStone* GameFeel::stone(const std::string& name) const {
  return name.empty() ? nullptr : dynamic_cast<BaseStone*>(scene->get_object(name));
}

void GameFeel::start() {
  clear_hint();
  no_move_shown = false;
  warning_shown = 0;
  since_move.reset();
  pace_timer = dynamic_cast<Timer*>(scene->get_object(keys.pace_timer));
  pace_emitter = dynamic_cast<StoneEmitter*>(scene->get_object(keys.pace_emitter));
  combo_label = dynamic_cast<Text*>(scene->get_object(keys.combo_label));
  warning_label = dynamic_cast<Text*>(scene->get_object(keys.warning_label));
  scene->show_object(keys.warning_label, false);
  level_shown = dynamic_cast<Numeric*>(scene->get_object(keys.level_object));
  scene->show_object(keys.combo_label, false);
  scene->show_object(keys.no_move_label, false);
  if (pace_timer) base_refill_seconds = pace_timer->_get_time();
  if (pace_emitter) base_emit_count = pace_emitter->_get_emit_count();
  keep_pace();
}

void GameFeel::end() {
  clear_hint();
  show_combo();
  warn(0, 0);
}

int GameFeel::multiplier() const { return scene->field().multiplier(); }

int GameFeel::level() const { return scene->field().level(); }

void GameFeel::player_clicked() {
  clear_hint();
  since_move.reset();
}

void GameFeel::group_removed(const FieldEvent& group) {
  const size_t size = group.stones.size();
  GAME_INFO("Group of " << size << " scores " << group.points << " (x" << group.times << ")");
  Signal scored(scene->get_name() + "->group_scored");
  scored.add_params(static_cast<int64_t>(group.points));
  scored.add_params(static_cast<int64_t>(group.times));
  scored.rise();
  Signal burst(scene->get_name() + "->group_burst");
  burst.add_params(static_cast<int64_t>(size));
  burst.add_params(static_cast<int64_t>(group.multiplier));
  burst.rise();
  show_popup(group.points, group.centre.x, group.centre.y);
  show_combo();
  keep_pace();
}

void GameFeel::show_popup(long points, float x, float y) {
  // A group that scores nothing (the refill's own) says so by rising no number.
  if (keys.score_popup.empty() || points == 0) return;
  auto* popup = new ScorePopup();
  const std::string name = "scorePopup" + std::to_string(++popups);
  if (!popup->show_at(scene, "Objects->" + keys.score_popup + "->", name, "+" + std::to_string(points), x, y)) {
    GAME_INFO("Score popup not shown: " << popup->_get_error());
    release_picture(scene->get_video_name(), name, scene->get_name());
    dispose_object(popup);
    return;
  }
  scene->add_object(name, popup, 5);
}

void GameFeel::show_combo() {
  if (!combo_label) return;
  const bool shown = multiplier() >= 2;
  if (shown) set_text(combo_label, keys.combo_text, multiplier());
  combo_label->_set_show(shown);
}

void GameFeel::warn(double seconds_above, double hold_seconds) {
  // A stone flung up by a burst rests for a moment at the top of its flight: no warning for it.
  const bool resting = seconds_above >= WARNING_AFTER_SECONDS;
  // Whole seconds left, rounded up: the label changes (and its text is drawn anew) once a second.
  const long left = resting ? std::max(1L, static_cast<long>(std::ceil(hold_seconds - seconds_above))) : 0;
  if (left == warning_shown) return;
  warning_shown = left;
  if (left > 0) GAME_INFO("Warning: the game ends in " << left << " s");
  if (!warning_label) return;
  if (left > 0) set_text(warning_label, keys.warning_text, left);
  warning_label->_set_show(left > 0);
}

void GameFeel::update() { watch_hint(); }

void GameFeel::keep_pace() {
  if (keys.pace.empty()) return;
  const int level = scene->field().pace_level();
  if (level_shown) level_shown->set_value_handler(level);
  scene->field().reach_level(level);
}

void GameFeel::level_reached(int level) {
  PaceStep pace{0, base_refill_seconds, base_emit_count};
  for (size_t i = 0; i + 1 < static_cast<size_t>(level) && i < keys.pace.size(); ++i) {
    if (keys.pace[i].refill_seconds > 0) pace.refill_seconds = keys.pace[i].refill_seconds;
    if (keys.pace[i].emit_count > 0) pace.emit_count = keys.pace[i].emit_count;
  }
  GAME_INFO("Level " << level << ": refill every " << pace.refill_seconds << " s, " << pace.emit_count
                     << " stones");
  if (pace_timer && pace.refill_seconds > 0) pace_timer->_set_time(pace.refill_seconds);
  if (pace_emitter && pace.emit_count > 0) pace_emitter->_set_emit_count(pace.emit_count);
}

void GameFeel::delay(double seconds) {
  since_move.postpone(seconds);
  hint_clock.postpone(seconds);
}

void GameFeel::clear_hint() {
  glow.release(hint.first);
  glow.release(hint.second);
  hint = {};
}

void GameFeel::draw_hint() {
  if (hint.first.empty() || keys.hint_colour == 0) return;
  for (const std::string& name : {hint.first, hint.second})
    if (BaseStone* marked = stone(name)) glow.draw(marked, glow_alpha);
}

void GameFeel::watch_hint() {
  if (keys.hint_seconds <= 0) return;
  if (no_move_shown && hint_clock.get_elapsed_time_noreset() >= NO_MOVE_SECONDS) {
    no_move_shown = false;
    scene->show_object(keys.no_move_label, false);
  }
  if (!hint.first.empty()) {
    // A hinted stone that went (in a group of its own) takes the hint with it.
    if (!stone(hint.first) || !stone(hint.second)) {
      clear_hint();
      since_move.reset();
      return;
    }
    const double shown_at =
        std::floor(hint_clock.get_elapsed_time_noreset() * HINT_SHADES_PER_SECOND) / HINT_SHADES_PER_SECOND;
    const double phase = std::cos(TWO_PI * HINT_BLINKS_PER_SECOND * shown_at);
    glow_alpha = static_cast<float>(HINT_FAINTEST + (1.0 - HINT_FAINTEST) * (0.5 + 0.5 * phase));
    return;
  }
  if (since_move.get_elapsed_time_noreset() < keys.hint_seconds) return;
  since_move.reset();
  hint_clock.reset();
  scene->field().look_for_hint();
}

void GameFeel::show_hint(BaseStone* first, BaseStone* second) {
  hint = {first->_get__object_name_(), second->_get__object_name_()};
  glow_alpha = 1.0f;
  if (keys.hint_colour != 0)
    for (BaseStone* marked : {first, second}) glow.make(marked);
  GAME_INFO("Hint: " << hint.first << " with " << hint.second);
  Signal shown(scene->get_name() + "->hint_shown");
  shown.rise();
}

void GameFeel::no_move_left() {
  GAME_INFO("No move left: a fresh row");
  no_move_shown = true;
  scene->show_object(keys.no_move_label, true);
  if (pace_emitter) pace_emitter->startEmit(pace_emitter->_get_emit_count());
}
