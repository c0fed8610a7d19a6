#include "gl_video.h"

#include "carrow/config.h"
#include "olvane/video.h"

namespace test_support {

std::string open_gl_video(const std::string& config_name,
                          const std::vector<std::pair<std::string, std::string>>& settings) {
  if (!config_create(config_name, "libquorra", true)) return "config: " + config_error();
  Config_Interface* config = config_get_interface(config_name);
  if (!config) return "config: " + config_error();
  for (const auto& [key, value] : settings) config->set_value("Video->" + key, value, true);
  std::string params[] = {config_name, "Video->", "VX_Video"};
  if (!video_create("Video", "libGL_tessar", params, 3, 0)) return "video: " + video_error();
  Video_Interface* video = video_get_interface("Video");
  if (!video->_init()) return "no window: " + video->_get_error();
  return "";
}

}  // namespace test_support
