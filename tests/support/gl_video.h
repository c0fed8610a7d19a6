#pragma once
#include <string>
#include <utility>
#include <vector>

namespace test_support {

// Opens the OpenGL driver "libGL_tessar" as the video device "Video" in a window. The
// configuration `config_name` is created and given the listed "Video->" settings first.
// Returns "" on success, otherwise what failed.
std::string open_gl_video(const std::string& config_name,
                          const std::vector<std::pair<std::string, std::string>>& settings);

}  // namespace test_support
