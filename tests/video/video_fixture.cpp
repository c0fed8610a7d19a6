#include "video_fixture.h"

#include <GL/glew.h>

#include <cmath>

#include "carrow/config.h"
#include "xserver.h"

namespace video_test {

void make_config(const std::string& name, const std::map<std::string, std::string>& values) {
  ASSERT_TRUE(config_create(name, "libquorra", true)) << config_error();
  Config_Interface* config = config_get_interface(name);
  ASSERT_NE(config, nullptr);
  for (const auto& [key, value] : values) config->set_value("Video->" + key, value, true);
}

std::unique_ptr<OpenGL_Video> open_driver(int width, int height,
                                          std::map<std::string, std::string> extra) {
  std::map<std::string, std::string> values = {{"Width", std::to_string(width)},
                                               {"Height", std::to_string(height)},
                                               {"BaseHeight", std::to_string(height)},
                                               {"FullScreen", "no"},
                                               {"HideMouse", "no"}};
  for (auto& [key, value] : extra) values[key] = value;
  config_remove("VideoTestConfig");
  make_config("VideoTestConfig", values);
  auto video = std::make_unique<OpenGL_Video>("VideoTestConfig", "Video->");
  if (!video->_init()) {
    ADD_FAILURE() << "driver did not start: " << video->_get_error();
    return nullptr;
  }
  return video;
}

FrameGrabber::FrameGrabber(OpenGL_Video& video)
    : video_(video), width_(video._get_width()), height_(video._get_height()) {
  video_.set_before_swap([this] {
    pixels_.assign(static_cast<size_t>(width_) * height_ * 4, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, pixels_.data());
  });
}

void FrameGrabber::flip() { video_._flip(); }

Rgba FrameGrabber::at(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || pixels_.empty()) {
    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is outside the frame";
    return {};
  }
  const unsigned char* p = &pixels_[(static_cast<size_t>(y) * width_ + x) * 4];
  return {p[0], p[1], p[2], p[3]};
}

Rgba FrameGrabber::at_normalised(double x, double y) const {
  return at(static_cast<int>(std::floor((x + 1) / 2 * width_)),
            static_cast<int>(std::floor((y + 1) / 2 * height_)));
}

void fill_surface(Video_Surface* surface, Rgba colour) {
  ASSERT_NE(surface, nullptr);
  auto* data = static_cast<unsigned char*>(surface->_get_surface_data());
  const int pitch = surface->_get_pitch();
  for (int y = 0; y < surface->_get_height(); ++y)
    for (int x = 0; x < surface->_get_width(); ++x) {
      unsigned char* p = data + y * pitch + x * 4;
      p[0] = static_cast<unsigned char>(colour.r);
      p[1] = static_cast<unsigned char>(colour.g);
      p[2] = static_cast<unsigned char>(colour.b);
      p[3] = static_cast<unsigned char>(colour.a);
    }
  surface->_mark_dirty();
}

}  // namespace video_test
