#include "user_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "../game_log.h"
#include "carrow/config.h"
#include "voskar/type_table.h"

namespace fs = std::filesystem;

namespace {
const char* const READ = "UserFile::read";
const char* const WRITE = "UserFile::write";

bool blank(const char* text, size_t size) {
  for (size_t i = 0; i < size; ++i)
    if (!std::isspace(static_cast<unsigned char>(text[i]))) return false;
  return true;
}

// Pushes the written bytes to the disk before the rename makes them the file.
void flush_to_disk(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}
}  // namespace

Config_Interface* fresh_config(const std::string& name) {
  config_remove(name);
  if (!config_create(name, "libquorra", false)) return nullptr;
  return config_get_interface(name);
}

std::vector<std::string> keys_of(Config_Interface* config) {
  std::vector<std::string> keys;
  for (auto& pair : config_pairs(*config)) keys.push_back(std::move(pair.first));
  return keys;
}

namespace {
// Options->GameName of cfg/Game.cfg, so that two games never share a file.
std::string game_folder_name() {
  const std::string shipped = "tarnvale";
  Config_Interface* game = config_get_interface("GameConfig");
  if (!game) return shipped;
  const std::string name = game->get_value("Options->GameName", shipped);
  if (is_folder_name(name)) return name;
  // Said once per name: every kept file asks again.
  static std::string refused;
  if (name != refused)
    GAME_CRITICAL("UserFile", "cfg/Game.cfg: Options->GameName \"" << name
                                  << "\" is not a folder name; the files are kept under \"" << shipped << "\"");
  refused = name;
  return shipped;
}
}  // namespace

std::string user_data_folder() {
  const std::string game = "/" + game_folder_name();
  const char* data_home = std::getenv("XDG_DATA_HOME");
  if (data_home && *data_home) return std::string(data_home) + game;
  const char* home = std::getenv("HOME");
  if (home && *home) return std::string(home) + "/.local/share" + game;
  return "";
}

UserFile::UserFile(std::string file_name, std::string section, Brannow::FileManager* files)
    : section_(std::move(section)), files_(files) {
  const std::string folder = user_data_folder();
  if (!folder.empty()) path_ = folder + "/" + file_name;
}

bool UserFile::fail(const std::string& message) {
  error_ = message;
  return false;
}

bool UserFile::read(Config_Interface* into, const Check& check) {
  error_.clear();
  if (path_.empty() || !files_) return true;
  std::error_code status;
  if (!fs::exists(fs::symlink_status(path_, status))) return true;

  std::string why;
  try {
    std::shared_ptr<Brannow::File> file = files_->open(path_, Brannow::READ, Brannow::NO_CACHE);
    const char* content = file->get_content();
    if (!blank(content, file->get_size()) &&
        std::string(content, file->get_size()).find("[" + section_ + "]") == std::string::npos)
      why = "no section [" + section_ + "]";
  } catch (const BrannowError& e) {
    why = e.what();
  }
  if (why.empty() && !into->load(path_, files_)) why = "cannot be opened";
  if (why.empty() && check) check(into, &why);
  if (why.empty()) return true;

  // Nothing of a file read wrongly may stay: the game goes on with an empty one.
  config_clear(*into);

  const std::string aside = path_ + ".bad";
  std::error_code moved;
  fs::rename(path_, aside, moved);
  if (moved) {
    blocked_ = true;
    GAME_CRITICAL(READ, "Can't read \"" << path_ << "\" (" << why << ") nor move it aside as \"" << aside
                                          << "\" (" << moved.message() << "); it is left as it is");
    return fail("Can't read \"" + path_ + "\": " + why);
  }
  GAME_CRITICAL(READ, "Can't read \"" << path_ << "\" (" << why << "); moved aside as \"" << aside << "\"");
  return fail("Can't read \"" + path_ + "\": " + why);
}

bool UserFile::write(Config_Interface* from) {
  error_.clear();
  if (path_.empty()) {
    GAME_CRITICAL(WRITE, "No folder to keep files in: neither XDG_DATA_HOME nor HOME is set");
    return fail("no data folder");
  }
  if (blocked_) {
    GAME_CRITICAL(WRITE, "Not writing \"" << path_ << "\": it could not be read and is still in the way");
    return fail("unreadable file in the way");
  }
  std::error_code made;
  fs::create_directories(fs::path(path_).parent_path(), made);
  if (made) {
    GAME_CRITICAL(WRITE, "Can't make the folder \"" << fs::path(path_).parent_path().string() << "\": "
                                                     << made.message());
    return fail(made.message());
  }
  const std::string temporary = path_ + ".tmp" + std::to_string(::getpid());
  if (!from->save(temporary, files_)) {
    const std::string reason = std::strerror(errno);
    std::error_code ignored;
    fs::remove(temporary, ignored);
    GAME_CRITICAL(WRITE, "Can't write \"" << temporary << "\": " << reason);
    return fail(reason);
  }
  flush_to_disk(temporary);
  std::error_code renamed;
  fs::rename(temporary, path_, renamed);
  if (renamed) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    GAME_CRITICAL(WRITE, "Can't replace \"" << path_ << "\": " << renamed.message());
    return fail(renamed.message());
  }
  return true;
}
