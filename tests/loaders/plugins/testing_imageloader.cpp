// An image loader for the registry tests. It succeeds when the file manager can open the file
// and appends "<TAG>:<file name>;" to the registry's error text either way, so the tests see
// which loader was asked for which name.

#include "vistrel/imageloader.h"

#ifndef TESTING_TAG
#define TESTING_TAG "a"
#endif

namespace {

int live = 0;

class Testing_Loader : public Image_Loader {
public:
  Testing_Loader() { ++live; }
  ~Testing_Loader() override { --live; }

  bool loadimage(std::string, std::string file_name, std::string, std::string,
                 Brannow::FileManager* files, int) override {
    imageloader_seterror(imageloader_error() + TESTING_TAG ":" + file_name + ";");
    try {
      return files != nullptr && files->open(file_name, Brannow::READ, Brannow::NO_CACHE) != nullptr;
    } catch (const BrannowError&) {
      return false;
    }
  }

  std::string get_module_name() override { return TESTING_MODULE_NAME; }
};

}  // namespace

extern "C" int testing_live_loaders() { return live; }

extern "C" Image_Loader* _get_imageloader() {
#ifdef TESTING_NO_INSTANCE
  return nullptr;
#else
  return new Testing_Loader;
#endif
}
