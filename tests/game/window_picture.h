#pragma once
// What the private X server shows of the game's window, read back for pixel checks.

#include <vector>

namespace game_test {

class WindowPicture {
public:
  // The mapped top-level window of the given size; nothing when there is none.
  WindowPicture(int width, int height);
  bool taken() const { return !pixels_.empty(); }
  struct Colour {
    int red, green, blue;
  };
  // Pixel (x, y), y counted from the top.
  Colour colour(int x, int y) const;
  // The brightest colour channel of pixel (x, y).
  int brightness(int x, int y) const;

private:
  int width_ = 0;
  std::vector<unsigned long> pixels_;
};

}  // namespace game_test
