#pragma once
// Image loaders under short names ("png", "jpg"), each from a plug-in exporting
// extern "C" Image_Loader* _get_imageloader(). Failures: false + imageloader_error().

#include <string>

#include "brannow/brannow.h"

class Image_Loader {
public:
  Image_Loader() = default;
  Image_Loader(const Image_Loader&) = default;
  Image_Loader& operator=(const Image_Loader&) = default;
  virtual ~Image_Loader();

  // Reads file_name through the file manager and creates the surface (surface_name,
  // scene_name) in the video driver video_name holding the picture, its first pixel row being
  // the picture's bottom row. flag: nonzero replaces an existing surface of that name.
  // On failure sets the text with imageloader_seterror and answers false.
  virtual bool loadimage(std::string video_name, std::string file_name, std::string scene_name,
                         std::string surface_name, Brannow::FileManager* files, int flag) = 0;
  // Never called by the registry; loaders answer their own version.
  virtual std::string get_version();
  // The module name the loader was created from, as given to imageloader_create.
  virtual std::string get_module_name() = 0;
};

extern "C" {
typedef Image_Loader* (*Get_Imageloader_Func)();
}

// Plain (undecorated) names except imageloader_error; strings by value.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wreturn-type-c-linkage"
#endif
extern "C" {

bool imageloader_create(std::string loader_name, std::string module_name, bool replace);
bool imageloader_loadimage(std::string loader_name, std::string video_name, std::string file_name,
                           std::string scene_name, std::string surface_name,
                           Brannow::FileManager* files, int flag);
// Picks the loader from the text after the first "." of the file name, then tries every
// loader in name order with its name appended as the extension.
bool imageloader_loadimage_noext(std::string video_name, std::string file_name,
                                 std::string scene_name, std::string surface_name,
                                 Brannow::FileManager* files, int flag);
// Loads every surface whose pixels last came from file_name again from it, by the same loader,
// in place: its sprites stay and show the new picture. *reloaded (when not null) is the number
// of surfaces reloaded; false (with imageloader_error) when one of them could not be.
bool imageloader_reload(std::string file_name, int* reloaded);
// Whether the loaders keep the pixels of what they load (they do unless told otherwise). A process
// that loads pictures only to see that they load (the data checker) turns it off: each picture is
// still decoded whole, so a broken one fails with the same reason, but its surface, of the
// picture's size, stays blank.
void imageloader_keep_pixels(bool keep);
bool imageloader_keeps_pixels();
// Destroys the loader and unloads its module; always true.
bool imageloader_remove(std::string loader_name);
void imageloader_seterror(std::string text);
std::string imageloader_version();
}  // extern "C"
#if defined(__clang__)
#pragma clang diagnostic pop
#endif

std::string imageloader_error();
