#include "fake_video.h"

void Fake_Surface::_update() {
  ++updates;
  Video_Surface::_update();
}

bool Fake_Video::_create_surface(int w, int h, std::string name, std::string group,
                                 bool replace) {
  if (refuse_next_surface) {
    refuse_next_surface = false;
    error_ = "refused for the test";
    return false;
  }
  if (!replace && surface(name, group) != nullptr) {
    error_ = "Surface exists: " + name;
    return false;
  }
  auto made = std::make_unique<Fake_Surface>();
  if (!made->_create(w, h)) {
    error_ = "Bad surface size";
    return false;
  }
  surfaces[{name, group}] = std::move(made);
  ++surfaces_created;
  return true;
}

bool Fake_Video::_create_surface(double w_factor, double h_factor, std::string name,
                                 std::string group, bool replace) {
  return _create_surface(static_cast<int>(w_factor * _get_width()),
                         static_cast<int>(h_factor * _get_height()), name, group, replace);
}

Video_Surface* Fake_Video::_get_surface(std::string name, std::string group) {
  return surface(name, group);
}

bool Fake_Video::_remove_surface(std::string name, std::string group) {
  return surfaces.erase({name, group}) != 0;
}

extern "C" Video_Interface* _get_video_driver(const std::string*, int) { return new Fake_Video; }
