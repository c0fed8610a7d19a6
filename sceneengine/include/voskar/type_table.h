#pragma once
// What an object type or scene type reads from the data files, which slots it registers and
// which signals it rises. The data checker checks by this table and the reference is printed
// from it; the engine's own types are described by the checker, a game module's types by the
// module itself (voskar/game_module.h).

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

// How a value is read, and what the checker checks it against.
enum class ValueKind {
  text,     // any text
  whole,    // a whole number
  real,     // a real number
  flag,     // "true" or "yes" is yes, "false" or "no" no
  color,    // 0xRRGGBBAA
  choice,   // one of the words in the meaning
  picture,  // a picture file read through the image loaders
  sound,    // a sound file read through the sound loaders (WAV, Ogg Vorbis)
  font,     // a font name of Game.cfg's font list
  style,    // a style of the style set
  scene,    // a scene of the scene list, or "exit"
  object,   // an object of the same scene
  file,     // a data file (scene, level)
  setting,  // a UI setting name shared between scenes
  model,    // an object section of the same scene that the list leaves out: made during play
  picture_series,  // pictures named by the value, a kind number from 0 and ".png"; the kinds'
                   // count is the sibling key "stoneTypeCount"
  folder_name,     // one folder's name: not empty, not "." or "..", no "/"
  key_list,        // key numbers of the video driver, apart by spaces
};

// What a folder_name value must be, for the programs that use one and the checker alike.
inline bool is_folder_name(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

// Reads a key_list value, for the programs that use one and the checker alike: the key numbers
// into *keys; false with the first word that is no key number (above 0) in *bad, the words after
// it read on.
inline bool read_key_list(const std::string& text, std::vector<int64_t>* keys, std::string* bad) {
  bool all = true;
  std::istringstream list(text);
  for (std::string word; list >> word;) {
    char* end = nullptr;
    errno = 0;
    const long long key = std::strtoll(word.c_str(), &end, 0);
    if (*end == '\0' && errno == 0 && key > 0) {
      keys->push_back(key);
    } else if (all) {
      all = false;
      *bad = word;
    }
  }
  return all;
}

struct KeyDoc {
  // Below the object's section ("Image->image_file") or from the scene file's top ("Scene->level").
  // "N" as the last letter of a section stands for an index counted from 0 ("signals->signalN").
  const char* key;
  const char* fallback;
  ValueKind kind;
  const char* meaning;
  // The range a whole or real value must lie in; the engine's own keys take theirs from
  // tarnvale/number_limits.h instead.
  double min = -HUGE_VAL;
  double max = HUGE_VAL;
};

struct TypeDoc {
  const char* name;
  bool scene_type;  // a scene type of the scene list, else an object type
  // Types whose keys, slots and signals this one has too (read before its own).
  std::vector<const char*> bases;
  const char* summary;
  std::vector<KeyDoc> keys;
  // Keys read from the widget's style (the style set's section, then its own "style->" one).
  std::vector<KeyDoc> style_keys;
  // Names after "scene->object->" (objects) or "scene->" (scenes).
  std::vector<const char*> slots;
  std::vector<const char*> signals;
};

// The types the loaded game modules added, in the order they were registered. The texts are the
// engine's own copies: a module may describe its types with temporary strings.
const std::vector<const TypeDoc*>& module_types();
