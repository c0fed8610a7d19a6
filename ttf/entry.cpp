// The plug-in's one export, looked up by the text renderer registry.
#include <new>

#include "ttf_renderer.h"

extern "C" __attribute__((visibility("default"))) Text_Renderer* _get_textrenderer() {
  return new (std::nothrow) TTF_Renderer();
}
