#include "data_format.h"

#include <algorithm>
#include <cctype>
#include <deque>
#include <sstream>

#include "tarnvale/number_limits.h"

namespace {

using K = ValueKind;

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

const std::vector<KeyDoc> text_style_keys = {
    {"renderer_type", "", K::text, "text renderer of the caption (\"ttf\")"},
    {"font", "", K::font, "font of the caption"},
    {"font_size", "", K::whole, "caption size in pixels"},
    {"font_color", "", K::color, "caption colour"},
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
  return {{"StoneParticles->particleCount", "50", K::whole, "particles per burst"},
          {"StoneParticles->particleSize", "32", K::real, "particle size in pixels"},
          {"StoneParticles->power", "10", K::real, "impulse of the burst"},
          {"StoneParticles->imageFile", "res/data/game/images/stoneParticle", K::text,
           "particle picture"},
          {"StoneParticles->lifeTime", "0.5", K::real, "seconds a burst lasts"},
          {"StoneParticles->outline", "true", K::flag, "outline the particles"},
          {"StoneParticles->stoneColour", "false", K::flag, "particles in the colour of their stone"}};
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
            {"SceneObject->absolute_x", "0.0", K::real, "x from -1 (left) to 1 (right)"},
            {"SceneObject->absolute_y", "0.0", K::real, "y from -1 (bottom) to 1 (top)"},
            {"SceneObject->link_object", "", K::object, "the object a linked object stands by"},
            {"SceneObject->link_v_align", "center", K::choice,
             "\"top\", \"bottom\", \"center\" or \"base_point\" of the linked object"},
            {"SceneObject->link_h_align", "center", K::choice,
             "\"left\", \"right\", \"center\" or \"base_point\" of the linked object"},
            {"SceneObject->link_v_offset", "0.0", K::real,
             "vertical offset in heights of the linked object"},
            {"SceneObject->link_h_offset", "0.0", K::real,
             "horizontal offset in widths of the linked object"},
            {"SceneObject->show", "true", K::flag, "drawn and clickable"},
            {"SceneObject->require_alpha_collision", "false", K::flag,
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
                    {"Image->x_base", "0.5", K::real, "base point, fraction of the width"},
                    {"Image->y_base", "0.5", K::real, "base point, fraction of the height"}},
                   {}, {}, {}});
  types.push_back({"Text", false, {"SceneObject"}, "A line of text.",
                   {{"Text->text", "", K::text, "the text"},
                    {"Text->renderer_type", "ttf", K::text, "text renderer"},
                    {"Text->font", "", K::font, "font name"},
                    {"Text->font_size", "14", K::whole, "size in pixels"},
                    {"Text->color", "0xffffffff", K::color, "colour"},
                    {"Text->x_base", "0.5", K::real, "base point, fraction of the width"},
                    {"Text->y_base", "0.5", K::real, "base point, fraction of the height"}},
                   {}, {"set_text"}, {}});
  types.push_back({"Timer", false, {"SceneObject"},
                   "Rises \"time_out\" when its time has run; connect \"_on_new_cycle\" to the "
                   "scene's \"new_cycle\".",
                   {{"Timer->repeat", "", K::flag, "starts again after each time-out"},
                    {"Timer->time", "1.0", K::real, "seconds to the time-out"}},
                   {}, {"_on_new_cycle"}, {"time_out"}});
  types.push_back({"BaseUIObject", false, {"SceneObject"},
                   "What every widget reads: its style and its base point.",
                   {{"BaseUIObject->style", "", K::style, "the style of the active style set"},
                    {"BaseUIObject->x_base", "0.5", K::real, "base point, fraction of the width"},
                    {"BaseUIObject->y_base", "0.5", K::real,
                     "base point, fraction of the height"}},
                   {}, {}, {}});
  types.push_back(
      {"Button", false, {"BaseUIObject"}, "A picture with a caption; rises \"released\" on a click.",
       {{"Button->caption", "", K::text, "the caption"},
        {"Button->show_setting", "", K::setting, "shown only while this UI setting is \"1\""}},
       joined(joined(text_style_keys, with_prefix("hover->", text_style_keys)),
              {{"image_file", "", K::picture, "the picture"},
               {"hover->image_file", "", K::picture, "the picture under the pointer"}}),
       {}, {"released"}});
  types.push_back({"SceneSwitcher", false, {"Button"}, "A button that switches scenes.",
                   {{"SceneSwitcher->next_scene", "", K::scene,
                     "the scene to switch to; \"exit\" ends the program"},
                    {"SceneSwitcher->restart", "false", K::flag, "makes the scene anew"},
                    {"SceneSwitcher->key", "0", K::whole,
                     "engine key code whose release switches too; 0: none"},
                    {"SceneSwitcher->ask_scene", "", K::scene,
                     "the scene that asks first while ask_setting is \"1\""},
                    {"SceneSwitcher->ask_setting", "", K::setting,
                     "UI setting that makes the switch ask first"}},
                   {}, {}, {}});
  types.push_back({"Checkbox", false, {"BaseUIObject"}, "A box to tick; rises \"toggled\".",
                   {{"Checkbox->base_image_file", "", K::picture, "the box"},
                    {"Checkbox->loader", "", K::text, "image loader; empty: by extension"},
                    {"Checkbox->x_base", "0.5", K::real, "base point, fraction of the width"},
                    {"Checkbox->y_base", "0.5", K::real, "base point, fraction of the height"},
                    {"Checkbox->hover_image_file", "", K::picture, "the box under the pointer"},
                    {"Checkbox->checked_image_file", "", K::picture, "the tick"},
                    {"Checkbox->setting", "", K::setting, "UI setting that keeps the state"},
                    {"Checkbox->label", "", K::object, "a Text that toggles the box too"},
                    {"Checkbox->checked", "false", K::flag, "ticked at first"}},
                   {}, {}, {"toggled"}});
  types.push_back(
      {"TextEdit", false, {"BaseUIObject"}, "A field to type a line of text into.",
       {{"TextEdit->replace_text", "", K::text, "shown in place of every character (passwords)"},
        {"TextEdit->renderer_type", "ttfrenderer", K::text, "text renderer"},
        {"TextEdit->font", "", K::font, "font name"},
        {"TextEdit->font_size", "14", K::whole, "size in pixels"},
        {"TextEdit->color", "0xffffffff", K::color, "text colour"},
        {"TextEdit->x_base", "0.5", K::real, "base point, fraction of the width"},
        {"TextEdit->y_base", "0.5", K::real, "base point, fraction of the height"},
        {"TextEdit->max_length", "0", K::whole, "most characters; 0: no limit"},
        {"TextEdit->setting", "", K::setting, "UI setting that keeps the text"},
        {"TextEdit->view_width", "0", K::whole, "shown width in pixels; 0: the background's"},
        {"TextEdit->ellipsis", "", K::text, "ends a too wide text of a field without input"}},
       {{"image_file", "", K::picture, "the field's background"},
        {"padding", "", K::whole, "pixels between the edges and the text"},
        {"cursor_width", "", K::whole, "cursor width in pixels"},
        {"cursor_blink", "", K::real, "cursor blinking period in seconds (0.5 when empty)"}},
       {}, {}});
  types.push_back({"Numeric", false, {"BaseUIObject"}, "A number shown as text.",
                   {{"Numeric->start_value", "0", K::whole, "the value a reset returns to"},
                    {"Numeric->value_length", "1", K::whole, "least digits shown"},
                    {"Numeric->value", "0", K::whole, "the value at first"}},
                   text_style_keys,
                   {"increment_value", "decrement_value", "add_value", "sub_value", "set_value"},
                   {}});
  types.push_back({"FPSCounter", false, {"BaseUIObject"}, "The frame rate as text.",
                   {{"FPSCounter->frames_count_limit", "150", K::whole, "frames per measurement"},
                    {"FPSCounter->show_setting", "", K::setting,
                     "shown only while this UI setting is \"1\""},
                    {"FPSCounter->last_second", "false", K::flag,
                     "shows the frames drawn in the last second"}},
                   text_style_keys, {"_on_new_frame"}, {}});
  types.push_back({"Window", false, {"BaseUIObject", "Image"},
                   "A picture with a scene of its own inside.",
                   {{"Window->width", "100", K::whole, "inner scene width in pixels"},
                    {"Window->height", "100", K::whole, "inner scene height in pixels"},
                    {"Window->internal_scene_file", "", K::file, "the inner scene's file"}},
                   {}, {}, {}});
  types.push_back({"BaseStone", false, {"Image"}, "A stone of the game (made by the emitter).",
                   {{"BaseStone->density", "1.0", K::real, "body density"},
                    {"BaseStone->friction", "0.0", K::real, "body friction"},
                    {"BaseStone->restitution", "0.0", K::real, "body bounciness"}},
                   {}, {}, {}});
  types.push_back({"Border", false, {"Image"}, "A wall of the field (level files).",
                   {{"Border->rotation", "0", K::real, "turn in degrees"}}, {}, {}, {}});
  types.push_back(
      {"StoneEmitter", false, {"SceneObject"}, "Drops new stones into the field.",
       {{"StoneEmitter->stoneTypeCount", "5", K::whole, "kinds of stone"},
        {"StoneEmitter->stoneName", "", K::text,
         "pictures: the name followed by the kind number and \".png\""},
        {"StoneEmitter->stoneWidth", "0.0625", K::real, "stone width"},
        {"StoneEmitter->emitCount", "10", K::whole, "stones per emit"},
        {"StoneEmitter->initialEmit", "50", K::whole, "stones at the start"},
        {"StoneEmitter->stoneHeight", "0.0625", K::real, "stone height"},
        {"StoneEmitter->width", "1.0", K::real, "width of the band stones fall from"}},
       {}, {"emit"}, {}});
  types.push_back({"StoneParticles", false, {"SceneObject"},
                   "A stone's burst of particles, made by each stone of a game scene.",
                   burst_keys(), {}, {}, {}});
  types.push_back(
      {"ScoreTable", false, {"SceneObject"}, "The best scores as a table.",
       {{"ScoreTable->renderer_type", "ttf", K::text, "text renderer"},
        {"ScoreTable->font", "", K::font, "font name"},
        {"ScoreTable->font_size", "20", K::whole, "size in pixels"},
        {"ScoreTable->color", "0xffffffff", K::color, "text colour"},
        {"ScoreTable->row_height", "0.1", K::real, "row height"},
        {"ScoreTable->columns", "-0.6 -0.5 0.35 0.45", K::text, "x of the four columns"},
        {"ScoreTable->empty_text", "", K::text, "shown while there are no scores"}},
       {}, {}, {}});
  types.push_back({"generic", true, {}, "A scene of objects.",
                   {{"Scene->show_mouse_cursor", "1", K::whole, "above 0 shows the pointer"},
                    {"Scene->Objects->ObjectN->name", "", K::text,
                     "an object of the scene; its keys are in the section \"Objects->name\"; "
                     "the list ends at the first entry without one"},
                    {"Scene->Objects->ObjectN->z_level", "0", K::whole,
                     "drawing order: higher draws on top"}},
                   {}, {"on_mouse_press", "on_mouse_move"}, {"new_cycle", "activate", "reinit"}});
  types.push_back(
      {"GameScene", true, {"generic"}, "The playing field with its physics world.",
       {{"Scene->gravity_x", "0", K::real, "gravity"},
        {"Scene->gravity_y", "0", K::real, "gravity"},
        {"Scene->timeStep", "0.0166666666", K::real, "seconds per physics step"},
        {"Scene->velocityIterations", "10", K::whole, "solver velocity iterations"},
        {"Scene->positionIterations", "10", K::whole, "solver position iterations"},
        {"Scene->level", "", K::file,
         "level file: walls in \"Borders->borderN\", each an object section with its type"},
        {"Scene->gameOverLine", "", K::real, "height the pile must stay under"},
        {"Scene->gameOverHold", "2", K::real, "seconds above the line that end the game"},
        {"Scene->gameOverLineColor", "0xffffff40", K::color, "colour of the line"},
        {"Scene->gameOverWindow", "", K::object, "shown when the game is over"},
        {"Scene->scoreObject", "", K::object, "the Numeric that counts the score"},
        {"Scene->bestScores", "false", K::flag, "enters scores in the best scores"},
        {"Scene->playerNameSetting", "", K::setting, "UI setting with the player's name"},
        {"Scene->rankText", "Place {rank} among the best scores", K::text,
         "the text shown for a new best score"},
        {"Scene->pauseKeys", "false", K::flag, "P and Escape pause"},
        {"Scene->pauseLabel", "", K::object, "shown while paused"},
        {"Scene->playingSetting", "", K::setting, "UI setting that is \"1\" while a game runs"},
        {"Scene->subSteps", "1", K::whole, "sub-steps of each physics step (1 to 64)"},
        {"Scene->cascadeScoring", "false", K::flag,
         "groups that form after a swap score with a rising multiplier"},
        {"Scene->groupBonus", "0", K::whole, "points for each stone of a group beyond three"},
        {"Scene->scorePopup", "", K::model, "a Text section whose copies rise where groups go"},
        {"Scene->comboLabel", "", K::object, "a Text that shows the multiplier of a cascade"},
        {"Scene->comboText", "x{n}", K::text, "the multiplier's text; {n} is the multiplier"},
        {"Scene->swapSeconds", "0", K::real, "seconds a standing swap travels; 0 jumps"},
        {"Scene->rejectSeconds", "0", K::real, "seconds a rejected swap shakes; 0 does not"},
        {"Scene->paceTimer", "", K::object, "the refill Timer the pace steps speed up"},
        {"Scene->paceEmitter", "", K::object, "the emitter whose rows the pace steps widen"},
        {"Scene->levelObject", "", K::object, "a Numeric that shows the pace level"},
        {"Scene->Pace->StepN->score", "", K::whole, "score at which the step begins"},
        {"Scene->Pace->StepN->refillTime", "0", K::real, "refill seconds from the step on; 0 keeps"},
        {"Scene->Pace->StepN->emitCount", "0", K::whole, "stones per row from the step on; 0 keeps"},
        {"Scene->hintSeconds", "0", K::real, "seconds without a move before a hint; 0 is off"},
        {"Scene->noMoveLabel", "", K::object, "shown when no swap makes a group"}},
       {}, {"on_key_press"}, {"game_over", "group_removed", "group_scored"}});
  // The stones' bursts read their keys under the scene's name ("gameStoneParticles->outline").
  const std::vector<KeyDoc> bursts = with_prefix("SCENE", burst_keys());
  types.back().keys.insert(types.back().keys.end(), bursts.begin(), bursts.end());
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
    case K::font: return "font";
    case K::style: return "style";
    case K::scene: return "scene";
    case K::object: return "object";
    case K::file: return "file";
    case K::setting: return "setting";
    case K::model: return "model object";
  }
  return "text";
}

const std::vector<TypeDoc>& data_types() {
  static const std::vector<TypeDoc> types = make_types();
  return types;
}

const TypeDoc* find_type(const std::string& name) {
  for (const TypeDoc& type : data_types())
    if (name == type.name) return &type;
  return nullptr;
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

const std::vector<FileDoc>& data_files() {
  static const std::vector<FileDoc> files = {
      {"cfg/Game.cfg", "Settings of the game program.",
       {{"Fonts->FontN->name", "", K::text,
         "a font's name for the keys of kind font; the list ends at the first entry without one"},
        {"Fonts->FontN->source", "", K::text, "its TrueType file"},
        {"Options->StartScene", "start_screen", K::scene, "the scene shown first"},
        {"Options->SavedSettings", "", K::text,
         "UI settings kept between runs, separated by spaces"}}},
      {"cfg/Video.cfg", "Settings of the video driver.",
       {{"Video->Driver", "libGL_vantor", K::text,
         "the video driver plug-in (\"libGL_tessar\", windowless \"libheadless_tessar\")"},
        {"Video->Width", "800", K::whole, "window width in pixels"},
        {"Video->Height", "600", K::whole, "window height in pixels"},
        {"Video->BaseHeight", "600", K::whole, "the height pictures are drawn for"},
        {"Video->DoubleBuffer", "yes", K::choice, "\"yes\" or \"no\""},
        {"Video->FullScreen", "yes", K::choice, "\"yes\" or \"no\""},
        {"Video->HideMouse", "yes", K::choice, "\"yes\" hides the pointer"},
        {"Video->Caption", "OpenGL video driver Version: 2.0.0", K::text, "window title"},
        {"Video->VBO", "yes", K::choice, "\"yes\" uses vertex buffer objects"},
        {"Video->PointSprite", "yes", K::choice, "\"yes\" draws particles as point sprites"},
        {"Video->LimitFPS", "0.0", K::real, "most frames a second; 0: no limit"},
        {"Video->SkipUnchangedFrames", "no", K::choice,
         "\"yes\" does not draw a frame again that would show what the window shows"},
        {"Video->Frames", "0", K::whole, "windowless driver: quit after that many frames"},
        {"Video->InputFile", "", K::text, "windowless driver: input events to replay"},
        {"Video->TraceFile", "", K::text, "windowless driver: where each frame's draws go"}}},
      {"res/scenes.scns", "The scene list.",
       {{"Scenes->SceneN->name", "", K::text,
         "the scene's name; the list ends at the first entry without one"},
        {"Scenes->SceneN->file", "", K::file, "its scene file"},
        {"Scenes->SceneN->preload", "false", K::flag, "loaded at start rather than when shown"},
        {"Scenes->SceneN->type", "generic", K::text, "its scene type"}}},
  };
  return files;
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
  std::string name = key.key;
  if (name.rfind("SCENE", 0) == 0) name.erase(0, 5);
  const tarnvale::NumberLimit* limit = tarnvale::find_number_limit(name);
  std::ostringstream kind;
  kind << value_kind_name(key.kind);
  if (limit) {
    kind << ", " << limit->min << " to " << limit->max;
    if (limit->zero_is_off) kind << " or 0 (off)";
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
  for (bool scenes : {false, true}) {
    out << (scenes ? "## Scene types\n\n" : "## Object types\n\n");
    for (const TypeDoc& type : data_types()) {
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
  return out.str();
}
