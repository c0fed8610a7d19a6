#pragma once
// A file the game keeps between runs in the player's data folder ($XDG_DATA_HOME/tarnvale, or
// ~/.local/share/tarnvale): read into a configuration, written back in the same text format
// through a temporary file and a rename, so that a crash never leaves half a file. A file that
// is there but cannot be read is reported, moved aside as <name>.bad and never overwritten
// unseen.

#include <functional>
#include <string>
#include <vector>

#include "brannow/brannow.h"

class Config_Interface;

// A new, empty configuration of that name (one left from before is removed); null when the
// configuration plug-in cannot make one.
Config_Interface* fresh_config(const std::string& name);

// Every key path of a configuration, in key order.
std::vector<std::string> keys_of(Config_Interface* config);

// The game's folder (Options->GameName, "tarnvale" when unset) under XDG_DATA_HOME, else
// ~/.local/share; "" when neither XDG_DATA_HOME nor HOME is set.
std::string user_data_folder();

class UserFile {
public:
  // Checks what was read; false with the reason in *why marks the file unreadable.
  using Check = std::function<bool(Config_Interface* read, std::string* why)>;

  // file_name inside the data folder; `section` is the one top section the file must have
  // when it holds anything at all.
  UserFile(std::string file_name, std::string section, Brannow::FileManager* files);

  // Full path ("" without a data folder).
  std::string path() const { return path_; }

  // Fills `into` (which should be empty) from the file. A missing file reads as empty: true.
  // An unreadable one is reported, moved aside and read as empty: false.
  bool read(Config_Interface* into, const Check& check);

  // Writes every pair of `from`; false (reported) when the folder or the file cannot be
  // written, or when an unreadable file could not be moved out of the way.
  bool write(Config_Interface* from);

  // The last problem, as reported.
  const std::string& error() const { return error_; }

private:
  bool fail(const std::string& message);

  std::string path_, section_;
  Brannow::FileManager* files_;
  std::string error_;
  // An unreadable file is still in the way: writing would overwrite it.
  bool blocked_ = false;
};
