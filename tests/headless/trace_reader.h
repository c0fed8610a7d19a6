#pragma once
// Reads the windowless driver's trace back: per frame, the sprites drawn (with their surface's
// checksum, which tells pictures apart) and the particle sets.

#include <map>
#include <string>
#include <vector>

namespace headless_test {

struct TracedSprite {
  std::string group, name;
  std::string checksum;  // of the surface it is drawn from
  double x = 0, y = 0;
  bool tinted = false;   // drawn with a colour other than white
  double alpha = 1;
};

struct TracedFrame {
  std::vector<TracedSprite> sprites;
  std::vector<std::string> particle_sets;  // names
  const TracedSprite* sprite(const std::string& name) const;
};

// Frames by number; an unreadable line ends the reading.
std::map<int, TracedFrame> read_trace(const std::string& text);

}  // namespace headless_test
