#pragma once
// A video driver without a window for the loader tests: surfaces only, in memory. Built as the
// plug-in "libtesting_video"; tests reach its state with a static_cast of video_get_interface.

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "olvane/video.h"

class Fake_Surface : public Video_Surface {
public:
  void _update() override;
  int updates = 0;
};

class Fake_Video : public Video_Interface {
public:
  Fake_Surface* surface(const std::string& name, const std::string& group) {
    auto it = surfaces.find({name, group});
    return it == surfaces.end() ? nullptr : it->second.get();
  }

  // The next _create_surface fails.
  bool refuse_next_surface = false;
  int surfaces_created = 0;
  std::map<std::pair<std::string, std::string>, std::unique_ptr<Fake_Surface>> surfaces;

  bool _create_surface(int w, int h, std::string name, std::string group, bool replace) override;
  bool _create_surface(double w_factor, double h_factor, std::string name, std::string group,
                       bool replace) override;
  Video_Surface* _get_surface(std::string name, std::string group) override;
  bool _remove_surface(std::string name, std::string group) override;
  std::string _get_error() override { return error_; }
  std::string _get_name() override { return "testing"; }

  // The rest does nothing here.
  void _draw_polygon(std::vector<VideoPoint>) override {}
  Video_Features* _get_features() override { return nullptr; }
  bool _draw_sprite(Video_Sprite*) override { return false; }
  bool _draw_sprite(std::string, std::string) override { return false; }
  bool _draw_particles(std::string, std::string, bool) override { return false; }
  bool _remove_sprite(std::string, std::string) override { return false; }
  bool _set_group(std::string) override { return false; }
  std::string _get_group() override { return ""; }
  std::string _get_info() override { return ""; }
  Video_Particles* _get_particles(std::string, std::string) override { return nullptr; }
  Video_Sprite* _get_sprite(std::string, std::string) override { return nullptr; }
  bool _create_sprite(std::string, std::string, std::string, std::string, bool) override {
    return false;
  }
  bool _create_particles(std::string, std::string, std::string, std::string, int,
                         bool) override {
    return false;
  }
  void _enable_mouse_button_events(bool) override {}
  void _enable_key_events(bool) override {}
  void _enable_char_events(bool) override {}
  void _enable_mouse_move_events(bool) override {}
  void _flip() override {}
  short _get_width() override { return 640; }
  short _get_height() override { return 480; }
  bool _init() override { return true; }
  bool _deinit() override { return true; }
  void _get_mouse_position(double*, double*) override {}
  void _get_mouse_position(int*, int*) override {}
  void _get_mouse_button_state(MOUSE_BUTTON*, EVENT_TYPE*) override {}
  Event _get_event() override { return Event(); }
  bool _is_point_in_sprite(double, double, double, double, std::string, std::string) override {
    return false;
  }
  bool _set_cursor_sprite(std::string, std::string) override { return false; }
  void _show_mouse(bool) override {}
  bool _group_blit(std::string, double, double, std::string, double, double, std::string,
                   std::string) override {
    return false;
  }
  bool _group_blit(std::string, int, int, std::string, int, int, std::string,
                   std::string) override {
    return false;
  }
  void _show_cursor(bool) override {}
  bool _remove_particles(std::string, std::string) override { return false; }

private:
  std::string error_;
};

// Creates the fake driver under the video name once per process and answers it.
Fake_Video* testing_video(const std::string& video_name = "TestVideo");
