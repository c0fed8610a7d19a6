#include "picture_loader.h"

extern "C" const picture_decoder png_picture_decoder;

extern "C" Image_Loader* _get_imageloader() {
  return make_picture_loader("PNG", &png_picture_decoder);
}
