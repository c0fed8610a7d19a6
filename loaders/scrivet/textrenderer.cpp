#include "scrivet/textrenderer.h"

#include "plugin_registry.h"

namespace {

Plugin_Registry<Text_Renderer>& registry() {
  static auto* r = new Plugin_Registry<Text_Renderer>("_get_textrenderer");
  return *r;
}

bool start(Text_Renderer* renderer) {
  try {
    return renderer->init();
  } catch (...) {
    return false;  // plug-ins must not throw into the registry
  }
}

}  // namespace

Text_Renderer::~Text_Renderer() = default;

bool Text_Renderer::measure_text(std::string, std::vector<int>*, int, Text_Extent*) {
  return false;
}

bool Text_Renderer::draw_text(std::string, std::string, std::vector<int>*, const VideoColor&, int,
                              std::string, std::string, int) {
  return false;
}

bool Text_Renderer::set_fallback_font(std::string, std::string) { return false; }

bool textrenderer_create(std::string renderer_name, std::string module_name, bool replace) {
  return registry().create(renderer_name, module_name, replace, start);
}

Text_Renderer* textrenderer_get(std::string renderer_name) {
  return registry().find(renderer_name);
}

bool textrenderer_remove(std::string renderer_name) { return registry().remove(renderer_name); }

std::string textrenderer_error() { return registry().error; }

std::string textrenderer_version() { return "2.0.0"; }
