#include "trace_reader.h"

#include <cstdlib>

#include <sstream>

namespace headless_test {

const TracedSprite* TracedFrame::sprite(const std::string& name) const {
  for (const TracedSprite& s : sprites)
    if (s.name == name) return &s;
  return nullptr;
}

std::map<int, TracedFrame> read_trace(const std::string& text) {
  std::map<int, TracedFrame> frames;
  TracedFrame* frame = nullptr;
  std::string checksum;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string kind;
    words >> kind;
    if (kind == "frame") {
      int number = 0;
      words >> number;
      frame = &frames[number];
    } else if (frame == nullptr) {
      break;
    } else if (kind == "surface") {
      std::string group, name, size;
      words >> group >> name >> size >> checksum;
    } else if (kind == "sprite") {
      TracedSprite s;
      s.checksum = checksum;
      words >> s.group >> s.name >> s.x >> s.y;
      s.tinted = line.find(" colour ") != std::string::npos;
      const size_t alpha = line.find(" alpha ");
      if (alpha != std::string::npos) s.alpha = std::atof(line.c_str() + alpha + 7);
      frame->sprites.push_back(s);
    } else if (kind == "particles") {
      std::string where, group, name;
      words >> where >> group >> name;
      frame->particle_sets.push_back(name);
    }
  }
  return frames;
}

}  // namespace headless_test
