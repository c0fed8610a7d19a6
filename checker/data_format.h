#pragma once
// What every object type and scene type reads from the data files, which slots it registers and
// which signals it rises. The data checker checks by it and the reference is printed from it.

#include <string>
#include <vector>

#include "voskar/type_table.h"

const char* value_kind_name(ValueKind kind);

// The built-in types, bases first; "SceneObject" and "BaseUIObject" are bases only, not types
// to place.
const std::vector<TypeDoc>& data_types();
// The built-in types, then those of the loaded game modules.
std::vector<const TypeDoc*> all_types();
// The type of that name, or null.
const TypeDoc* find_type(const std::string& name);
// Walks the type and its bases, bases first, each once.
std::vector<const TypeDoc*> type_with_bases(const TypeDoc& type);
// The key as the limits tables name it: "SCENE" (the scene's name) and "hover->" at the start
// left off.
std::string table_key(const KeyDoc& key);
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
