#include "picture_loader.h"

extern "C" const picture_decoder jpeg_picture_decoder;

extern "C" Image_Loader* _get_imageloader() {
  return make_picture_loader("JPEG", &jpeg_picture_decoder);
}
