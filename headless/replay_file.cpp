#include "replay_file.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tarnvale/quoted.h"

namespace {

const char* const MAGIC = "tarnvale replay 1";
// A frame of more than an hour is no frame of a game.
const long MAX_FRAME_MICROS = 3600L * 1000000L;

// The names of the video input signals the scene manager rises for each kind.
struct EventKind {
  const char* name;
  EVENT_TYPE type;
  int numbers;  // after the name in a replay
};

const EventKind kKinds[] = {
    {"mouse_press", MOUSE_PRESS, 5},       {"mouse_release", MOUSE_RELEASE, 5},
    {"mouse_move", MOUSE_MOVE, 5},         {"keyboard_press", KEYBOARD_PRESS, 1},
    {"keyboard_release", KEYBOARD_RELEASE, 1}, {"character", CHARACTER, 1},
    {"quit", QUIT, 0}};

bool whole(const std::string& text, long min, long max, long* value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long number = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || errno != 0 || number < min || number > max) return false;
  *value = number;
  return true;
}

bool real(const std::string& text, float* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const float number = std::strtof(text.c_str(), &end);
  if (*end != '\0' || !std::isfinite(number)) return false;
  *value = number;
  return true;
}

bool hex(const std::string& text) {
  if (text.empty() || text.size() > 64) return false;
  for (char c : text)
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

// Fills the event from the numbers after its name.
bool read_event(const EventKind& kind, const std::vector<std::string>& words, Event* event) {
  event->type = kind.type;
  if (kind.numbers == 5) {
    long buttons = 0;
    return real(words[2], &event->x) && real(words[3], &event->y) && real(words[4], &event->dx) &&
           real(words[5], &event->dy) && whole(words[6], 0, 7, &buttons) &&
           (event->buttons = static_cast<int>(buttons), true);
  }
  if (kind.numbers == 1) {
    long value = 0;
    if (!whole(words[2], -2147483647L, 2147483647L, &value)) return false;
    (kind.type == CHARACTER ? event->character : event->key) = static_cast<int>(value);
  }
  return true;
}

// Shortest text that reads back as the same float.
std::string exact(float value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.9g", static_cast<double>(value));
  return text;
}

}  // namespace

bool event_type_named(const std::string& name, EVENT_TYPE* type) {
  for (const EventKind& kind : kKinds)
    if (name == kind.name) {
      *type = kind.type;
      return true;
    }
  return false;
}

bool parse_replay(const std::string& text, const std::string& path, Replay* replay,
                  std::string* error) {
  *replay = Replay();
  size_t start = 0;
  long number = 0;
  auto fail = [&](const std::string& problem) {
    *error = path + ":" + std::to_string(number) + ": " + problem;
    return false;
  };
  const char* const header_keys[] = {"build", "data", "seed", "scene"};
  const long header_lines = 5;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    ++number;
    if (end - start > REPLAY_MAX_LINE) return fail("a line longer than 255 bytes");
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    std::istringstream fields(line);
    std::vector<std::string> words;
    for (std::string word; fields >> word;) words.push_back(word);
    if (number == 1) {
      if (line != MAGIC) return fail("not a replay file (it starts with " + tarnvale::quoted(line) + ")");
      continue;
    }
    if (number <= header_lines) {
      const char* key = header_keys[number - 2];
      if (words.size() != 2 || words[0] != key) return fail(std::string("no \"") + key + "\" line");
      if (number == 5) {
        replay->header.scene = words[1];
      } else if (number == 4) {
        long seed = 0;
        if (!whole(words[1], 0, 4294967295L, &seed)) return fail("the seed is not a whole number");
        replay->header.seed = static_cast<unsigned long>(seed);
      } else if (!hex(words[1])) {
        return fail(std::string("the ") + key + " is not a hexadecimal number");
      } else {
        (number == 2 ? replay->header.build : replay->header.data) = words[1];
      }
      continue;
    }
    if (words.empty()) continue;
    long frame = 0;
    const long current = static_cast<long>(replay->frame_micros.size());
    if (!whole(words[0], 0, current + 1, &frame))
      return fail("the frame " + tarnvale::quoted(words[0]) + " is not " + std::to_string(current) + " or " +
                  std::to_string(current + 1));
    if (words.size() < 2) return fail("nothing after the frame");
    if (words[1] == "time") {
      long micros = 0;
      if (frame != current + 1) return fail("frame " + words[0] + " has a time already");
      if (words.size() != 3 || !whole(words[2], 0, MAX_FRAME_MICROS, &micros))
        return fail("the time is not a whole number of microseconds up to an hour");
      replay->frame_micros.push_back(micros);
      continue;
    }
    if (frame != current) return fail("an event of frame " + words[0] + " before its time");
    const EventKind* kind = nullptr;
    for (const EventKind& candidate : kKinds)
      if (words[1] == candidate.name) kind = &candidate;
    if (kind == nullptr) return fail("unknown event " + tarnvale::quoted(words[1]));
    ReplayEvent recorded;
    recorded.frame = frame;
    if (words.size() != static_cast<size_t>(kind->numbers) + 2 || !read_event(*kind, words, &recorded.event))
      return fail("bad numbers for the event " + tarnvale::quoted(words[1]));
    replay->events.push_back(recorded);
  }
  if (number < header_lines) {
    ++number;
    return fail("the header ends early");
  }
  return true;
}

bool read_replay(const std::string& path, Replay* replay, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = path + ": cannot read the replay file";
    return false;
  }
  std::string text(REPLAY_MAX_BYTES + 1, '\0');
  in.read(&text[0], static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(in.gcount()));
  if (text.size() > REPLAY_MAX_BYTES) {
    *error = path + ": larger than 64 MiB, not a replay file";
    return false;
  }
  return parse_replay(text, path, replay, error);
}

void write_replay_header(std::ostream& out, const ReplayHeader& header) {
  out << MAGIC << "\nbuild " << header.build << "\ndata " << header.data << "\nseed "
      << header.seed << "\nscene " << header.scene << "\n";
}

void write_replay_frame(std::ostream& out, long frame, long micros) {
  out << frame << " time " << micros << "\n";
}

void write_replay_event(std::ostream& out, long frame, const Event& event) {
  for (const EventKind& kind : kKinds) {
    if (kind.type != event.type) continue;
    out << frame << ' ' << kind.name;
    if (kind.numbers == 5)
      out << ' ' << exact(event.x) << ' ' << exact(event.y) << ' ' << exact(event.dx) << ' '
          << exact(event.dy) << ' ' << event.buttons;
    else if (kind.numbers == 1)
      out << ' ' << (kind.type == CHARACTER ? event.character : event.key);
    out << "\n";
    return;
  }
}

double replay_seconds(long micros) {
  return std::ldexp(std::nearbyint(std::ldexp(static_cast<double>(micros) * 1e-6, 20)), -20);
}
