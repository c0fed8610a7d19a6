// A text renderer for the registry tests; whether init succeeds and which module name it
// reports are set when it is built.

#include "olvane/video.h"
#include "scrivet/textrenderer.h"

namespace {

int live = 0;

class Testing_Renderer : public Text_Renderer {
public:
  Testing_Renderer() { ++live; }
  ~Testing_Renderer() override { --live; }

  bool init() override { return TESTING_INIT_ANSWER; }
  bool load_font(std::string, std::string, Brannow::FileManager*) override { return false; }
  bool render_text(std::string, std::string, std::vector<int>*, VideoColor, int, std::string,
                   std::string, bool, int*) override {
    return false;
  }
  bool render_text(std::string, std::string, std::string, VideoColor, int, std::string,
                   std::string, bool) override {
    return false;
  }
  bool render_text(std::string, std::string, std::string*, VideoColor, int, std::string,
                   std::string, bool) override {
    return false;
  }
  bool render_sprite(std::string, std::string, std::vector<int>*, VideoColor, int, std::string,
                     std::string, bool) override {
    return false;
  }
  std::string get_error() override { return ""; }
  std::string get_version() override { return "testing"; }
  std::string get_module_name() override { return TESTING_MODULE_NAME; }
};

}  // namespace

extern "C" int testing_live_renderers() { return live; }

extern "C" Text_Renderer* _get_textrenderer() { return new Testing_Renderer; }
