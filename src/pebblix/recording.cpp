#include "recording.h"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "tessim/time.h"

namespace {

double wall_seconds() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

std::string folder_of(const std::string& path) {
  return std::filesystem::path(path).parent_path().string();
}

struct BuildIds {
  std::string engine_folder;
  std::string text;
};

// The NT_GNU_BUILD_ID notes of the program (empty name) and of the objects in the engine's
// folder.
int add_build_id(dl_phdr_info* info, size_t, void* data) {
  BuildIds& ids = *static_cast<BuildIds*>(data);
  const std::string name = info->dlpi_name ? info->dlpi_name : "";
  if (!name.empty() && folder_of(name) != ids.engine_folder) return 0;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& header = info->dlpi_phdr[i];
    if (header.p_type != PT_NOTE) continue;
    const char* at = reinterpret_cast<const char*>(info->dlpi_addr + header.p_vaddr);
    const char* end = at + header.p_memsz;
    while (at + sizeof(ElfW(Nhdr)) <= end) {
      const auto* note = reinterpret_cast<const ElfW(Nhdr)*>(at);
      const char* desc = at + sizeof(ElfW(Nhdr)) + ((note->n_namesz + 3) & ~3u);
      if (note->n_type == NT_GNU_BUILD_ID && desc + note->n_descsz <= end)
        for (unsigned b = 0; b < note->n_descsz; ++b) {
          char pair[3];
          std::snprintf(pair, sizeof(pair), "%02x", static_cast<unsigned char>(desc[b]));
          ids.text += pair;
        }
      at = desc + ((note->n_descsz + 3) & ~3u);
    }
  }
  return 0;
}

std::string fnv_hex(unsigned long long hash) {
  char text[17];
  std::snprintf(text, sizeof(text), "%016llx", hash);
  return text;
}

}  // namespace

std::string build_identity() {
  BuildIds ids;
  Dl_info where{};
  // The scene manager's library stands in the engine's folder.
  if (dladdr(reinterpret_cast<void*>(&process_scene), &where) && where.dli_fname)
    ids.engine_folder = folder_of(where.dli_fname);
  dl_iterate_phdr(add_build_id, &ids);
  // Dozens of ids make a long line: they are folded into one number like the data.
  unsigned long long hash = 14695981039346656037ull;
  for (char c : ids.text) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return fnv_hex(hash);
}

std::string data_checksum() {
  namespace fs = std::filesystem;
  std::vector<fs::path> files;
  for (const char* top : {"cfg", "res"}) {
    std::error_code failure;
    for (fs::recursive_directory_iterator it(top, failure), end; !failure && it != end;
         it.increment(failure))
      if (it->is_regular_file(failure)) files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  unsigned long long hash = 14695981039346656037ull;
  auto add = [&hash](const char* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) hash = (hash ^ static_cast<unsigned char>(bytes[i])) * 1099511628211ull;
  };
  std::vector<char> buffer(1 << 16);
  for (const fs::path& file : files) {
    const std::string name = file.generic_string();
    add(name.c_str(), name.size() + 1);
    std::ifstream in(file, std::ios::binary);
    while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0)
      add(buffer.data(), static_cast<size_t>(in.gcount()));
  }
  return fnv_hex(hash);
}

bool Recorder::open(const std::string& path, const ReplayHeader& header, std::string* error) {
  out_.open(path, std::ios::out | std::ios::trunc);
  if (!out_) {
    *error = path + ": cannot write the replay file";
    return false;
  }
  write_replay_header(out_, header);
  out_.flush();
  last_wall_ = wall_seconds();
  return true;
}

void Recorder::frame_ended() {
  const double now = wall_seconds();
  const long micros = std::lround((now - last_wall_) * 1e6);
  last_wall_ = now;
  Time::advance_stepped_clock(replay_seconds(micros));
  // Out at once with the events of the frame before: a game that crashes leaves itself behind
  // up to its last frame, as a bug report wants it.
  write_replay_frame(out_, ++frame_, micros);
  out_.flush();
}

void Recorder::event_taken(const Event& event) {
  write_replay_event(out_, frame_, event);
  if (event.type == QUIT) out_.flush();
}

bool check_replay(const std::string& path, ReplayHeader* header, std::string* error) {
  Replay replay;
  if (!read_replay(path, &replay, error)) return false;
  if (replay.header.build != build_identity()) {
    *error = path + ": recorded by a different build of the program, not played";
    return false;
  }
  if (replay.header.data != data_checksum()) {
    *error = path + ": recorded with different game data, not played";
    return false;
  }
  *header = replay.header;
  return true;
}
