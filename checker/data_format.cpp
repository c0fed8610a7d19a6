#include "data_format.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <deque>
#include <sstream>

#include "command_line.h"
#include "tarnvale/number_limits.h"

namespace {

using K = ValueKind;
// The default of a key the limits tables check is theirs, filled in when the table is built.
const char* const kFromTable = "";

const std::vector<KeyDoc> signal_keys = {
    {"signals->signalN->signal_source", "", K::text,
     "who rises the signal: a scene name, \"scene->object\", or \"Video\"; the list ends at the "
     "first entry without one"},
    {"signals->signalN->signal_name", "", K::text,
     "the signal's name after the source (\"released\", \"time_out\", \"new_cycle\")"},
    {"signals->signalN->slot_name", "", K::text,
     "the slot of this object the signal calls (\"emit\", \"_on_new_cycle\")"},
    {"signals->signalN->connect", "on_request", K::choice,
     "\"on_load\": connected once at load and kept; \"on_request\": connected when the scene "
     "is entered or the object is clicked"},
    {"signals->signalN->type", "custom", K::choice,
     "\"builtin\" with source \"Video\" takes the scene's video device for \"Video\""},
};

// Widgets with a look under the pointer and a click sound them through their style.
const std::vector<KeyDoc> sound_style_keys = {
    {"hover_sound", "", K::sound, "played when the pointer comes onto the widget"},
    {"click_sound", "", K::sound, "played on a click"},
};

const std::vector<KeyDoc> text_style_keys = {
    {"renderer_type", "", K::text, "text renderer of the caption (\"ttf\")"},
    {"font", "", K::font, "font of the caption"},
    {"font_size", kFromTable, K::whole, "caption size in pixels"},
    {"font_color", kFromTable, K::color, "caption colour"},
};

std::vector<KeyDoc> with_prefix(const char* prefix, std::vector<KeyDoc> keys) {
  // The strings live as long as the table, which is built once; a deque never moves them.
  static std::deque<std::string>* names = new std::deque<std::string>;
  for (KeyDoc& key : keys) {
    names->push_back(std::string(prefix) + key.key);
    key.key = names->back().c_str();
  }
  return keys;
}

std::vector<KeyDoc> joined(std::vector<KeyDoc> a, const std::vector<KeyDoc>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<KeyDoc> burst_keys() {
  return {{"StoneParticles->particleCount", kFromTable, K::whole, "particles per burst"},
          {"StoneParticles->particleSize", kFromTable, K::real, "particle size in pixels"},
          {"StoneParticles->power", kFromTable, K::real, "impulse of the burst"},
          {"StoneParticles->imageFile", "res/data/game/images/stoneParticle", K::text,
           "particle picture"},
          {"StoneParticles->lifeTime", kFromTable, K::real, "seconds a burst lasts"},
          {"StoneParticles->outline", kFromTable, K::flag, "outline the particles"},
          {"StoneParticles->stoneColour", kFromTable, K::flag, "particles in the colour of their stone"},
          {"StoneParticles->underSprites", kFromTable, K::flag,
           "particles drawn behind the pictures (stones, rising numbers, windows)"},
          {"StoneParticles->hitStones", kFromTable, K::flag,
           "particles knock the stones about (false: they fly through them and bounce off the walls)"}};
}

void take_table_defaults(std::vector<KeyDoc>& keys) {
  for (KeyDoc& key : keys) {
    const std::string name = table_key(key);
    if (const tarnvale::NumberLimit* limit = tarnvale::find_number_limit(name))
      key.fallback = limit->fallback.data();
    else if (const tarnvale::FlagLimit* flag = tarnvale::find_flag_limit(name))
      key.fallback = flag->fallback.data();
  }
}

std::vector<TypeDoc> make_types() {
  std::vector<TypeDoc> types;
  types.push_back(
      {"SceneObject", false, {},
       "What every object reads: its place and its declared signal connections.",
       joined(
           {{"type", "", K::text, "the object type (this table's headings)"},
            {"SceneObject->coord_type", "absolute", K::choice,
             "\"absolute\": at absolute_x, absolute_y; \"link\": beside link_object"},
            {"SceneObject->absolute_x", kFromTable, K::real, "x from -1 (left) to 1 (right)"},
            {"SceneObject->absolute_y", kFromTable, K::real, "y from -1 (bottom) to 1 (top)"},
            {"SceneObject->link_object", "", K::object, "the object a linked object stands by"},
            {"SceneObject->link_v_align", "center", K::choice,
             "\"top\", \"bottom\", \"center\" or \"base_point\" of the linked object"},
            {"SceneObject->link_h_align", "center", K::choice,
             "\"left\", \"right\", \"center\" or \"base_point\" of the linked object"},
            {"SceneObject->link_v_offset", kFromTable, K::real,
             "vertical offset in heights of the linked object"},
            {"SceneObject->link_h_offset", kFromTable, K::real,
             "horizontal offset in widths of the linked object"},
            {"SceneObject->show", kFromTable, K::flag, "drawn and clickable"},
            {"SceneObject->require_alpha_collision", kFromTable, K::flag,
             "clicks on fully transparent pixels miss"}},
           signal_keys),
       {},
       {"_on_activate", "_on_deactivate", "_on_key_press", "_on_key_release", "_on_character",
        "_on_mouse_release", "_on_scene_reinit"},
       {}});
  types.push_back({"Image", false, {"SceneObject"}, "A picture.",
                   {{"Image->image_file", "", K::picture, "the picture file"},
                    {"Image->loader", "", K::text,
                     "image loader (\"png\", \"jpg\"); empty: by the file's extension"},
                    {"Image->x_base", kFromTable, K::real, "base point, fraction of the width"},
                    {"Image->y_base", kFromTable, K::real, "base point, fraction of the height"}},
                   {}, {}, {}});
  types.push_back({"Text", false, {"SceneObject"}, "A line of text.",
                   {{"Text->text", "", K::text, "the text"},
                    {"Text->renderer_type", "ttf", K::text, "text renderer"},
                    {"Text->font", "", K::font, "font name"},
                    {"Text->font_size", kFromTable, K::whole, "size in pixels"},
                    {"Text->color", kFromTable, K::color, "colour"},
                    {"Text->x_base", kFromTable, K::real, "base point, fraction of the width"},
                    {"Text->y_base", kFromTable, K::real, "base point, fraction of the height"}},
                   {}, {"set_text"}, {}});
  types.push_back({"Timer", false, {"SceneObject"},
                   "Rises \"time_out\" when its time has run; connect \"_on_new_cycle\" to the "
                   "scene's \"new_cycle\".",
                   {{"Timer->repeat", kFromTable, K::flag, "starts again after each time-out"},
                    {"Timer->time", kFromTable, K::real, "seconds to the time-out"}},
                   {}, {"_on_new_cycle"}, {"time_out"}});
  types.push_back(
      {"Sound", false, {"SceneObject"},
       "Plays a sound file when a signal reaches \"play\"; one music plays at a time.",
       {{"Sound->file", "", K::sound, "the sound; an effect is decoded at load, music streams"},
        {"Sound->channel", "effects", K::choice,
         "\"effects\" (many at once) or \"music\" (one, streamed; a scene entered with the "
         "music playing keeps it)"},
        {"Sound->volume", "1.0", K::real, "share of full loudness"},
        {"Sound->pitch", "1.0", K::real, "speed and pitch; 2 is an octave up"},
        {"Sound->pitch_step", "0", K::real,
         "semitones the pitch rises for each unit of the play signal's first whole number"},
        {"Sound->loop", kFromTable, K::flag, "plays again from the start at its end"},
        {"Sound->play_on_enter", kFromTable, K::flag, "plays when its scene is entered"}},
       {}, {"play", "stop", "set_pitch", "pause", "resume"}, {}});
  types.push_back({"BaseUIObject", false, {"SceneObject"},
                   "What every widget reads: its style and its base point.",
                   {{"BaseUIObject->style", "", K::style, "the style of the active style set"},
                    {"BaseUIObject->x_base", kFromTable, K::real, "base point, fraction of the width"},
                    {"BaseUIObject->y_base", kFromTable, K::real,
                     "base point, fraction of the height"}},
                   {}, {}, {}});
  types.push_back(
      {"Button", false, {"BaseUIObject"}, "A picture with a caption; rises \"released\" on a click.",
       {{"Button->caption", "", K::text, "the caption"},
        {"Button->show_setting", "", K::setting, "shown only while this UI setting is \"1\""}},
       joined(joined(joined(text_style_keys, with_prefix("hover->", text_style_keys)),
                     {{"image_file", "", K::picture, "the picture"},
                      {"hover->image_file", "", K::picture, "the picture under the pointer"}}),
              sound_style_keys),
       {}, {"released"}});
  types.push_back({"SceneSwitcher", false, {"Button"}, "A button that switches scenes.",
                   {{"SceneSwitcher->next_scene", "", K::scene,
                     "the scene to switch to; \"exit\" ends the program"},
                    {"SceneSwitcher->restart", kFromTable, K::flag, "makes the scene anew"},
                    {"SceneSwitcher->key", kFromTable, K::whole,
                     "engine key code whose release switches too; 0: none"},
                    {"SceneSwitcher->ask_scene", "", K::scene,
                     "the scene that asks first while ask_setting is \"1\""},
                    {"SceneSwitcher->ask_setting", "", K::setting,
                     "UI setting that makes the switch ask first"}},
                   {}, {}, {}});
  types.push_back({"Checkbox", false, {"BaseUIObject"}, "A box to tick; rises \"toggled\".",
                   {{"Checkbox->base_image_file", "", K::picture, "the box"},
                    {"Checkbox->loader", "", K::text, "image loader; empty: by extension"},
                    {"Checkbox->x_base", kFromTable, K::real, "base point, fraction of the width"},
                    {"Checkbox->y_base", kFromTable, K::real, "base point, fraction of the height"},
                    {"Checkbox->hover_image_file", "", K::picture, "the box under the pointer"},
                    {"Checkbox->checked_image_file", "", K::picture, "the tick"},
                    {"Checkbox->setting", "", K::setting, "UI setting that keeps the state"},
                    {"Checkbox->label", "", K::object, "a Text that toggles the box too"},
                    {"Checkbox->checked", kFromTable, K::flag, "ticked at first"},
                    {"Checkbox->value", "", K::text,
                     "one choice among boxes of the setting: ticked while the setting holds "
                     "this value, a click stores it; empty: an on/off box (\"1\" or \"0\")"}},
                   sound_style_keys, {}, {"toggled"}});
  types.push_back(
      {"TextEdit", false, {"BaseUIObject"}, "A field to type a line of text into.",
       {{"TextEdit->replace_text", "", K::text, "shown in place of every character (passwords)"},
        {"TextEdit->renderer_type", "ttfrenderer", K::text, "text renderer"},
        {"TextEdit->font", "", K::font, "font name"},
        {"TextEdit->font_size", kFromTable, K::whole, "size in pixels"},
        {"TextEdit->color", kFromTable, K::color, "text colour"},
        {"TextEdit->x_base", kFromTable, K::real, "base point, fraction of the width"},
        {"TextEdit->y_base", kFromTable, K::real, "base point, fraction of the height"},
        {"TextEdit->max_length", kFromTable, K::whole, "most characters; 0 takes none, below 0 no limit"},
        {"TextEdit->setting", "", K::setting, "UI setting that keeps the text"},
        {"TextEdit->view_width", kFromTable, K::whole, "shown width in pixels; 0: the background's"},
        {"TextEdit->ellipsis", "", K::text, "ends a too wide text of a field without input"}},
       {{"image_file", "", K::picture, "the field's background"},
        {"padding", kFromTable, K::whole, "pixels between the edges and the text"},
        {"cursor_width", kFromTable, K::whole, "cursor width in pixels"},
        {"cursor_blink", kFromTable, K::real, "cursor blinking period in seconds"}},
       {}, {}});
  types.push_back({"Numeric", false, {"BaseUIObject"}, "A number shown as text.",
                   {{"Numeric->start_value", kFromTable, K::whole, "the value a reset returns to"},
                    {"Numeric->value_length", kFromTable, K::whole, "least digits shown"},
                    {"Numeric->value", kFromTable, K::whole, "the value at first"}},
                   text_style_keys,
                   {"increment_value", "decrement_value", "add_value", "sub_value", "set_value"},
                   {}});
  types.push_back({"Volume", false, {"Numeric"},
                   "A sound volume in per cent, kept in the UI setting \"MasterVolume\", "
                   "\"EffectsVolume\" or \"MusicVolume\" of its channel.",
                   {{"Volume->channel", "effects", K::choice, "\"master\", \"effects\" or \"music\""},
                    {"Volume->step", kFromTable, K::whole, "per cent points of one increase or decrease"},
                    {"Volume->mute_key", kFromTable, K::whole,
                     "toggle_mute answers only keyboard signals of this key code; 0: any signal"}},
                   {}, {"increase", "decrease", "toggle_mute"}, {}});
  types.push_back({"FPSCounter", false, {"BaseUIObject"}, "The frame rate as text.",
                   {{"FPSCounter->frames_count_limit", kFromTable, K::whole, "frames per measurement"},
                    {"FPSCounter->show_setting", "", K::setting,
                     "shown only while this UI setting is \"1\""},
                    {"FPSCounter->last_second", kFromTable, K::flag,
                     "shows the frames drawn in the last second"}},
                   text_style_keys, {"_on_new_frame"}, {}});
  types.push_back(
      {"KeyboardMenu", false, {"SceneObject"},
       "Keys that work the scene's buttons, check boxes and text fields (and those of its "
       "windows) in reading order; the focused one looks as under the pointer. Off unless placed.",
       {{"KeyboardMenu->next_keys", "293 284 286", K::key_list,
         "key numbers that focus the next widget (Tab, down, right); Shift reverses them"},
        {"KeyboardMenu->previous_keys", "283 285", K::key_list,
         "key numbers that focus the previous widget (up, left); left and right stay with a "
         "focused text field"},
        {"KeyboardMenu->press_keys", "294 318", K::key_list,
         "key numbers that click the focused widget (Enter, keypad Enter)"},
        {"KeyboardMenu->first", "", K::object,
         "the widget the first key focuses when shown; empty: the first in order"}},
       {}, {"_on_menu_key_press", "_on_menu_key_release", "_on_pointer_move"},
       {}});
  types.push_back({"Window", false, {"BaseUIObject", "Image"},
                   "A picture with a scene of its own inside.",
                   {{"Window->width", kFromTable, K::whole, "inner scene width in pixels"},
                    {"Window->height", kFromTable, K::whole, "inner scene height in pixels"},
                    {"Window->internal_scene_file", "", K::file, "the inner scene's file"}},
                   {}, {}, {}});
  types.push_back({"BaseStone", false, {"Image"}, "A stone of the game (made by the emitter).",
                   {{"BaseStone->density", kFromTable, K::real, "body density"},
                    {"BaseStone->friction", kFromTable, K::real, "body friction"},
                    {"BaseStone->restitution", kFromTable, K::real, "body bounciness"}},
                   {}, {}, {}});
  types.push_back({"Border", false, {"Image"}, "A wall of the field (level files).",
                   {{"Border->rotation", kFromTable, K::real, "turn in degrees"}}, {}, {}, {}});
  types.push_back(
      {"StoneEmitter", false, {"SceneObject"}, "Drops new stones into the field.",
       {{"StoneEmitter->stoneTypeCount", kFromTable, K::whole, "kinds of stone"},
        {"StoneEmitter->stoneName", "", K::picture_series,
         "pictures: the name followed by the kind number and \".png\""},
        {"StoneEmitter->stoneWidth", kFromTable, K::real, "stone width"},
        {"StoneEmitter->emitCount", kFromTable, K::whole, "stones per emit"},
        {"StoneEmitter->initialEmit", kFromTable, K::whole, "stones at the start"},
        {"StoneEmitter->stoneHeight", kFromTable, K::real, "stone height"},
        {"StoneEmitter->width", kFromTable, K::real, "width of the band stones fall from"}},
       {}, {"emit"}, {}});
  types.push_back({"StoneParticles", false, {"SceneObject"},
                   "A stone's burst of particles, made by each stone of a game scene.",
                   burst_keys(), {}, {}, {}});
  types.push_back(
      {"ScoreTable", false, {"SceneObject"}, "The best scores as a table.",
       {{"ScoreTable->renderer_type", "ttf", K::text, "text renderer"},
        {"ScoreTable->font", "", K::font, "font name"},
        {"ScoreTable->font_size", kFromTable, K::whole, "size in pixels"},
        {"ScoreTable->color", kFromTable, K::color, "text colour"},
        {"ScoreTable->row_height", kFromTable, K::real, "row height"},
        {"ScoreTable->columns", "-0.6 -0.5 0.35 0.45", K::text, "x of the four columns"},
        {"ScoreTable->empty_text", "", K::text, "shown while there are no scores"},
        {"ScoreTable->score_setting", "", K::text,
         "UI setting a game that ended left its score in: entered when the table reads the "
         "scores, then cleared"},
        {"ScoreTable->player_setting", "", K::text,
         "UI setting with the player's name for such a game; without one it is \"Player\""},
        {"ScoreTable->minimum_score", kFromTable, K::whole, "such a game's lower score is not entered"}},
       {}, {}, {}});
  types.push_back({"ScorePopup", false, {"Text"},
                   "The look of the numbers that rise where groups go: the section the game scene's "
                   "scorePopup names, of type Text, copied for each score.",
                   {{"ScorePopup->lifeTime", kFromTable, K::real, "seconds a number shows"},
                    {"ScorePopup->rise", kFromTable, K::real, "how far it rises over its life"},
                    {"ScorePopup->holdTime", kFromTable, K::real, "seconds at full opacity before it fades"}},
                   {}, {}, {}});
  types.push_back({"generic", true, {}, "A scene of objects.",
                   {{"Scene->show_mouse_cursor", kFromTable, K::whole, "above 0 shows the pointer"},
                    {"Scene->Objects->ObjectN->name", "", K::text,
                     "an object of the scene; its keys are in the section \"Objects->name\"; "
                     "the list ends at the first entry without one"},
                    {"Scene->Objects->ObjectN->z_level", kFromTable, K::whole,
                     "drawing order: higher draws on top"}},
                   {}, {"on_mouse_press", "on_mouse_move"}, {"new_cycle", "activate", "reinit"}});
  types.push_back(
      {"GameScene", true, {"generic"}, "The playing field with its physics world.",
       {{"Scene->gravity_x", kFromTable, K::real, "gravity"},
        {"Scene->gravity_y", kFromTable, K::real, "gravity"},
        {"Scene->timeStep", kFromTable, K::real, "seconds per physics step"},
        {"Scene->velocityIterations", kFromTable, K::whole, "solver velocity iterations"},
        {"Scene->positionIterations", kFromTable, K::whole, "solver position iterations"},
        {"Scene->level", "", K::file,
         "level file: walls in \"Borders->borderN\", each an object section with its type"},
        {"Scene->gameOverLine", kFromTable, K::real, "height the pile must stay under"},
        {"Scene->gameOverHold", kFromTable, K::real, "seconds above the line that end the game"},
        {"Scene->gameOverLineColor", kFromTable, K::color, "colour of the line"},
        {"Scene->gameOverLineWarningColor", kFromTable, K::color,
         "colour of the line while stones rest above it; 0 keeps the line's"},
        {"Scene->warningLabel", "", K::object, "a Text that counts down the seconds left while stones rest above the line"},
        {"Scene->warningText", "{n}", K::text, "the countdown's text; {n} is the whole seconds left"},
        {"Scene->gameOverWindow", "", K::object, "shown when the game is over"},
        {"Scene->scoreObject", "", K::object, "the Numeric that counts the score"},
        {"Scene->bestScores", kFromTable, K::flag, "enters scores in the best scores"},
        {"Scene->playerNameSetting", "", K::setting, "UI setting with the player's name"},
        {"Scene->rankText", "Place {rank} among the best scores", K::text,
         "the text shown for a new best score"},
        {"Scene->bestScoresMinimum", kFromTable, K::whole, "a lower score is not entered in the best scores"},
        {"Scene->unrankedText", "", K::text, "the text shown when the game did not make the best scores"},
        {"Scene->pauseKeys", kFromTable, K::flag, "P and Escape pause"},
        {"Scene->pauseLabel", "", K::object, "shown while paused"},
        {"Scene->playingSetting", "", K::setting, "UI setting that is \"1\" while a game runs"},
        {"Scene->cancelSelection", kFromTable, K::flag,
         "a click on the selected stone, beside the stones or with the right button, or Escape, cancels "
         "the selection"},
        {"Scene->keyboardCursor", kFromTable, K::flag,
         "the arrow keys move a cursor to the nearest stone their way; Space or Enter clicks its stone"},
        {"Scene->cursorColor", kFromTable, K::color, "colour of the glow around the cursor's stone"},
        {"Scene->subSteps", kFromTable, K::whole, "sub-steps of each physics step (1 to 64)"},
        {"Scene->cascadeScoring", kFromTable, K::flag,
         "groups that stones set falling by a swap's bursts make score with a rising multiplier"},
        {"Scene->groupBonus", kFromTable, K::whole, "points for each stone of a group beyond three"},
        {"Scene->refillGroupPercent", kFromTable, K::whole,
         "percent of its points a group scores that no swap of the player's set off (the refill's own)"},
        {"Scene->scorePopup", "", K::model, "a Text section whose copies rise where groups go"},
        {"Scene->comboLabel", "", K::object, "a Text that shows the multiplier of a cascade"},
        {"Scene->comboText", "x{n}", K::text, "the multiplier's text; {n} is the multiplier"},
        {"Scene->swapSeconds", kFromTable, K::real, "seconds a standing swap travels; 0 jumps"},
        {"Scene->rejectSeconds", kFromTable, K::real, "seconds a rejected swap shakes; 0 does not"},
        {"Scene->paceTimer", "", K::object, "the refill Timer the pace steps speed up"},
        {"Scene->paceEmitter", "", K::object, "the emitter whose rows the pace steps widen"},
        {"Scene->levelObject", "", K::object, "a Numeric that shows the pace level"},
        {"Scene->Pace->StepN->score", kFromTable, K::whole, "score at which the step begins"},
        {"Scene->Pace->StepN->refillTime", kFromTable, K::real, "refill seconds from the step on; 0 keeps"},
        {"Scene->Pace->StepN->emitCount", kFromTable, K::whole, "stones per row from the step on; 0 keeps"},
        {"Scene->hintSeconds", kFromTable, K::real, "seconds without a move before a hint; 0 is off"},
        {"Scene->hintColor", kFromTable, K::color, "colour of the glow around the hinted stones"},
        {"Scene->noMoveLabel", "", K::object, "shown when no swap makes a group"}},
       {}, {"on_key_press"},
       {"game_over", "group_removed", "group_scored", "stone_selected", "swap_stood", "swap_rejected", "group_burst",
        "cascade_step", "level_reached", "hint_shown", "best_score", "paused", "resumed", "selection_cancelled"}});
  // The stones' bursts read their keys under the scene's name ("gameStoneParticles->outline").
  const std::vector<KeyDoc> bursts = with_prefix("SCENE", burst_keys());
  types.back().keys.insert(types.back().keys.end(), bursts.begin(), bursts.end());
  for (TypeDoc& type : types) {
    take_table_defaults(type.keys);
    take_table_defaults(type.style_keys);
  }
  return types;
}

}  // namespace

const char* value_kind_name(ValueKind kind) {
  switch (kind) {
    case K::text: return "text";
    case K::whole: return "whole number";
    case K::real: return "number";
    case K::flag: return "flag";
    case K::color: return "colour";
    case K::choice: return "choice";
    case K::picture: return "picture file";
    case K::sound: return "sound file";
    case K::font: return "font";
    case K::style: return "style";
    case K::scene: return "scene";
    case K::object: return "object";
    case K::file: return "file";
    case K::setting: return "setting";
    case K::model: return "model object";
    case K::picture_series: return "picture files";
    case K::folder_name: return "folder name";
    case K::key_list: return "key numbers";
  }
  return "text";
}

const std::vector<TypeDoc>& data_types() {
  static const std::vector<TypeDoc> types = make_types();
  return types;
}

const TypeDoc* find_type(const std::string& name) {
  for (const TypeDoc* type : all_types())
    if (name == type->name) return type;
  return nullptr;
}

std::vector<const TypeDoc*> all_types() {
  std::vector<const TypeDoc*> all;
  for (const TypeDoc& type : data_types()) all.push_back(&type);
  all.insert(all.end(), module_types().begin(), module_types().end());
  return all;
}

std::vector<const TypeDoc*> type_with_bases(const TypeDoc& type) {
  std::vector<const TypeDoc*> all;
  for (const char* base : type.bases)
    if (const TypeDoc* found = find_type(base))
      for (const TypeDoc* each : type_with_bases(*found))
        if (std::find(all.begin(), all.end(), each) == all.end()) all.push_back(each);
  all.push_back(&type);
  return all;
}

bool key_matches(const std::string& pattern, const std::string& key) {
  std::size_t p = 0, k = 0;
  while (p < pattern.size() && k < key.size()) {
    if (pattern[p] == 'N' && (p + 1 == pattern.size() || pattern[p + 1] == '-') &&
        std::isdigit(static_cast<unsigned char>(key[k]))) {
      while (k < key.size() && std::isdigit(static_cast<unsigned char>(key[k]))) ++k;
      ++p;
      continue;
    }
    if (pattern[p] != key[k]) return false;
    ++p, ++k;
  }
  return p == pattern.size() && k == key.size();
}

const KeyDoc* find_key(const std::vector<KeyDoc>& keys, const std::string& key,
                       const std::string& scene_name) {
  for (const KeyDoc& doc : keys) {
    const std::string pattern = doc.key;
    if (pattern.rfind("SCENE", 0) == 0
            ? key_matches(scene_name + pattern.substr(5), key)
            : key_matches(pattern, key))
      return &doc;
  }
  return nullptr;
}

TypeFacts facts_of(const TypeDoc& type) {
  TypeFacts facts;
  for (const TypeDoc* each : type_with_bases(type)) {
    facts.keys.insert(facts.keys.end(), each->keys.begin(), each->keys.end());
    facts.style_keys.insert(facts.style_keys.end(), each->style_keys.begin(),
                            each->style_keys.end());
    facts.slots.insert(facts.slots.end(), each->slots.begin(), each->slots.end());
    facts.signals.insert(facts.signals.end(), each->signals.begin(), each->signals.end());
  }
  return facts;
}

bool is_base_only(const TypeDoc& type) {
  return std::string(type.name) == "SceneObject" || std::string(type.name) == "BaseUIObject";
}

namespace {

// The files' tables, with the defaults of the limits tables.
std::vector<FileDoc> make_files() {
  std::vector<FileDoc> files = {
      {"cfg/Game.cfg", "Settings of the game program.",
       {{"Fonts->FontN->name", "", K::text,
         "a font's name for the keys of kind font; the list ends at the first entry without one"},
        {"Fonts->FontN->source", "", K::text, "its TrueType file"},
        {"Fonts->FontN->fallback", "", K::font,
         "the font for characters this one lacks (emoji, symbols); with one, a character no "
         "font has draws one replacement glyph; empty: none"},
        {"Options->StartScene", "start_screen", K::scene, "the scene shown first"},
        {"Options->SavedSettings", "", K::text,
         "UI settings kept between runs, separated by spaces; the player's window follows "
         "WindowSize (\"1024x768\"), FullScreen (\"1\" or \"0\") and FrameRate (frames a "
         "second, \"0\": no limit), which override cfg/Video.cfg"},
        {"Options->GameName", "tarnvale", K::folder_name,
         "the folder under $XDG_DATA_HOME (else ~/.local/share) that keeps the game's best "
         "scores and settings, so that two games never share them; one folder name, no \"/\""},
        {"Options->Modules->ModuleN", "", K::text,
         "a game module adding object and scene types (a bare library name, \"libpegfall\"), "
         "loaded from the data folder's lib/, else beside the engine's libraries, before the "
         "scene list; the list ends at the first entry missing"}}},
      {"cfg/Video.cfg", "Settings of the video driver.",
       {{"Video->Driver", "libGL_vantor", K::text,
         "the video driver plug-in (\"libGL_tessar\", windowless \"libheadless_tessar\")"},
        {"Video->Width", kFromTable, K::whole, "picture (and fixed window) width in pixels"},
        {"Video->Height", kFromTable, K::whole, "picture (and fixed window) height in pixels"},
        {"Video->BaseHeight", kFromTable, K::whole, "the height pictures are drawn for"},
        {"Video->DoubleBuffer", kFromTable, K::choice, "\"yes\" or \"no\""},
        {"Video->FullScreen", kFromTable, K::choice, "\"yes\" or \"no\""},
        {"Video->HideMouse", kFromTable, K::choice, "\"yes\" hides the pointer"},
        {"Video->Caption", "OpenGL video driver Version: 2.0.0", K::text, "window title"},
        {"Video->VBO", kFromTable, K::choice, "\"yes\" uses vertex buffer objects"},
        {"Video->PointSprite", kFromTable, K::choice, "\"yes\" draws particles as point sprites"},
        {"Video->LimitFPS", kFromTable, K::real, "most frames a second; 0: no limit"},
        {"Video->FirstFrameAtOnce", kFromTable, K::choice,
         "\"yes\" shows the first frame as soon as it is drawn; \"no\" waits for the frame limit "
         "from the window's making"},
        {"Video->SkipUnchangedFrames", kFromTable, K::choice,
         "\"yes\" does not draw a frame again that would show what the window shows"},
        {"Video->Resizable", kFromTable, K::choice,
         "\"yes\": any window size, the picture scaled to fit, centred and letterboxed; F11 "
         "and Alt+Enter switch to full screen at the desktop's resolution and back"},
        {"Video->WindowWidth", kFromTable, K::whole,
         "width of a resizable window when it opens; 0: Width (the player's WindowSize wins)"},
        {"Video->WindowHeight", kFromTable, K::whole,
         "height of a resizable window when it opens; 0: Height"},
        {"Video->Frames", kFromTable, K::whole, "windowless driver: quit after that many frames"},
        {"Video->InputFile", "", K::text, "windowless driver: input events to replay"},
        {"Video->TraceFile", "", K::text, "windowless driver: where each frame's draws go"},
        {"Video->ReplayFile", "", K::text,
         "windowless driver: a recorded game to play again, its input and frame times"}}},
      {"res/scenes.scns", "The scene list.",
       {{"Scenes->SceneN->name", "", K::text,
         "the scene's name; the list ends at the first entry without one"},
        {"Scenes->SceneN->file", "", K::file, "its scene file"},
        {"Scenes->SceneN->preload", kFromTable, K::flag, "loaded at start rather than when shown"},
        {"Scenes->SceneN->type", "generic", K::text, "its scene type"}}},
      {"cfg/Sound.cfg", "Settings of the sound driver; without the file or its driver: no sound.",
       {{"Sound->Driver", "", K::text, "the sound driver plug-in (\"libAL_chime\")"},
        {"Sound->Device", "", K::text, "the sound device; empty: the system's default"},
        {"Sound->Voices", kFromTable, K::whole, "effects that can sound at once"}}},
  };
  for (FileDoc& file : files) take_table_defaults(file.keys);
  return files;
}

}  // namespace

const std::vector<FileDoc>& data_files() {
  static const std::vector<FileDoc> files = make_files();
  return files;
}

std::string table_key(const KeyDoc& key) {
  std::string name = key.key;
  if (name.rfind("SCENE", 0) == 0) name.erase(0, 5);
  // A style's hover look reads the limits of its plain twin.
  if (name.rfind("hover->", 0) == 0) name.erase(0, 7);
  return name;
}

const std::vector<const char*>& video_signals() {
  static const std::vector<const char*> names = {"mouse_press",      "mouse_release",
                                                 "mouse_move",       "keyboard_press",
                                                 "keyboard_release", "character"};
  return names;
}

namespace {

std::string code(const std::string& text) { return "`" + text + "`"; }

// The kind, with the range the programs hold a number to.
std::string kind_of(const KeyDoc& key) {
  const tarnvale::NumberLimit* limit = tarnvale::find_number_limit(table_key(key));
  std::ostringstream kind;
  // Bounds such as 2147483647 in full, not rounded to six digits.
  kind.precision(10);
  kind << value_kind_name(key.kind);
  // A colour's kind says its range.
  if (limit && key.kind != ValueKind::color) {
    kind << ", " << limit->min << " to " << limit->max;
    if (limit->zero_is_off) kind << " or 0 (off)";
  } else if (std::isfinite(key.min) || std::isfinite(key.max)) {
    kind << ", " << key.min << " to " << key.max;
  }
  return kind.str();
}

void key_table(std::ostringstream& out, const std::vector<KeyDoc>& keys) {
  out << "| key | default | kind | meaning |\n|---|---|---|---|\n";
  for (const KeyDoc& key : keys)
    out << "| " << code(key.key) << " | " << (*key.fallback ? code(key.fallback) : "")
        << " | " << kind_of(key) << " | " << key.meaning << " |\n";
}

void name_list(std::ostringstream& out, const char* what, const std::vector<const char*>& names) {
  if (names.empty()) return;
  out << what;
  for (std::size_t i = 0; i < names.size(); ++i) out << (i ? ", " : " ") << code(names[i]);
  out << "\n\n";
}

}  // namespace

// How a game module adds types: its entry point and the entry of this table it fills in.
std::string game_modules_section() {
  std::ostringstream out;
  out << "## Game modules\n\n"
         "A game module is a shared library named by `Options->Modules->ModuleN` of "
         "`cfg/Game.cfg`. Start-up loads each after the built-in types and before the scene "
         "list, from `lib/NAME.so` of the data folder, else beside the engine's libraries. It "
         "exports one function, declared in `voskar/game_module.h`:\n\n"
         "```cpp\nextern \"C\" bool _register_game_module(GameModuleRegistrar* registrar);\n```\n\n"
         "It calls `registrar->add_object_type(type, fabric)` or "
         "`registrar->add_scene_type(type, fabric)` once per type, with a fabric that lives as "
         "long as the process (`ObjectFabric<T>`, `SceneFabrics<T>`), and answers true; or it "
         "calls `registrar->refuse(reason)` and answers false. The module is taken whole or not "
         "at all: a module that cannot be loaded, has no entry point, refuses, or declares a type "
         "name already taken is left out with one line `cfg/Game.cfg: Options->Modules->ModuleN "
         "\"NAME\" REASON; left out`, and start-up goes on.\n\n"
         "`type` is a `TypeDoc` of `voskar/type_table.h`, the entry this reference and "
         "`tarnvale-check` read (the texts are copied):\n\n"
         "| field | what it holds |\n|---|---|\n"
         "| `name` | the type name data files give in `type` |\n"
         "| `scene_type` | set by the call used |\n"
         "| `bases` | types whose keys, slots and signals it has too, e.g. `SceneObject` |\n"
         "| `summary` | one sentence for this reference |\n"
         "| `keys` | its keys below the object's section, as `KeyDoc`s |\n"
         "| `style_keys` | keys read from its style, as `KeyDoc`s |\n"
         "| `slots` | slot names after `scene->object->` |\n"
         "| `signals` | signal names after `scene->object->` |\n\n"
         "A `KeyDoc` is `{key, default, kind, meaning, min, max}`: the key path "
         "(`Counter->start`; `N` ending a section stands for an index), the default as text, "
         "the `ValueKind` (`text`, `whole`, `real`, `flag`, `color`, `choice`, `picture`, "
         "`font`, `style`, `scene`, `object`, `file`, `setting`, `model`: how the checker checks "
         "the value), a sentence, and for numbers the range (unbounded by default).\n\n";
  return out.str();
}

std::string reference_markdown() {
  std::ostringstream out;
  out << "# Data format reference\n\n"
         "Generated by `tarnvale-check --reference` from the table the checker checks by; do "
         "not edit.\n\n"
         "Keys are written as paths: sections joined by `->`. An object's keys lie in the "
         "section `Objects->NAME` of its scene file (or `Borders->borderN` of a level file). "
         "`N` at the end of a section stands for an index counted from 0, `SCENE` at the start of "
         "a key for the scene's name. Slots are named "
         "`scene->object->slot`, signals `scene->object->signal` (objects) or "
         "`scene->signal` (scenes); the video device rises `Video->` + ";
  for (std::size_t i = 0; i < video_signals().size(); ++i)
    out << (i ? ", " : "") << code(video_signals()[i]);
  out << ".\n\n## Files\n\n";
  for (const FileDoc& file : data_files()) {
    out << "### " << code(file.file) << "\n\n" << file.summary << "\n\n";
    key_table(out, file.keys);
    out << "\n";
  }
  out << game_modules_section();
  for (bool scenes : {false, true}) {
    out << (scenes ? "## Scene types\n\n" : "## Object types\n\n");
    for (const TypeDoc* each : all_types()) {
      const TypeDoc& type = *each;
      if (type.scene_type != scenes) continue;
      out << "### " << code(type.name) << "\n\n" << type.summary << "\n\n";
      if (!type.bases.empty()) {
        out << "Also has everything of";
        for (std::size_t i = 0; i < type.bases.size(); ++i)
          out << (i ? ", " : " ") << code(type.bases[i]);
        out << ".\n\n";
      }
      if (!type.keys.empty()) key_table(out, type.keys), out << "\n";
      if (!type.style_keys.empty()) {
        out << "Style keys (from the style set's section named by `BaseUIObject->style`, then "
               "the object's own `style` section):\n\n";
        key_table(out, type.style_keys);
        out << "\n";
      }
      name_list(out, "Slots:", type.slots);
      name_list(out, "Signals:", type.signals);
    }
  }
  out << command_line_reference();
  return out.str();
}
