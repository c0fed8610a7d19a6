#pragma once
// What every object type and scene type reads from the data files, which slots it registers and
// which signals it rises. The data checker checks by it and the reference is printed from it.

#include <string>
#include <vector>

// How a value is read, and what the checker checks it against.
enum class ValueKind {
  text,     // any text
  whole,    // a whole number
  real,     // a real number
  flag,     // "true" is yes, anything else no
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
};

const char* value_kind_name(ValueKind kind);

struct KeyDoc {
  // Below the object's section ("Image->image_file") or from the scene file's top ("Scene->level").
  // "N" as the last letter of a section stands for an index counted from 0 ("signals->signalN").
  const char* key;
  const char* fallback;
  ValueKind kind;
  const char* meaning;
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

// Every type, bases first; "SceneObject" and "BaseUIObject" are bases only, not types to place.
const std::vector<TypeDoc>& data_types();
// The type of that name, or null.
const TypeDoc* find_type(const std::string& name);
// Walks the type and its bases, bases first, each once.
std::vector<const TypeDoc*> type_with_bases(const TypeDoc& type);
// A base only: no file names it as a type.
bool is_base_only(const TypeDoc& type);

// Does a table key ("signals->signalN->slot_name") stand for this key ("signals->signal3->...")?
bool key_matches(const std::string& pattern, const std::string& key);
// The entry of `keys` that stands for `key`; "SCENE" at the start of an entry stands for the
// scene's name. Null when none does.
const KeyDoc* find_key(const std::vector<KeyDoc>& keys, const std::string& key,
                       const std::string& scene_name = std::string());

// A type's keys, style keys, slots and signals with those of its bases.
struct TypeFacts {
  std::vector<KeyDoc> keys, style_keys;
  std::vector<std::string> slots, signals;
};
TypeFacts facts_of(const TypeDoc& type);

// Settings of the game program and the video driver, and the scene list's entries.
struct FileDoc {
  const char* file;
  const char* summary;
  std::vector<KeyDoc> keys;
};
const std::vector<FileDoc>& data_files();

// The input signals of the video device, after "Video->".
const std::vector<const char*>& video_signals();

// The reference of the data format in Markdown.
std::string reference_markdown();
