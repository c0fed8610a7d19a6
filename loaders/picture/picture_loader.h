#pragma once
// Base of the image loader plug-ins: reads the file through the file manager, lets the
// decoder fill a surface of the picture's size row by row, and reports failures in words.

#include <cstddef>
#include <string>

#include "picture_decoder.h"
#include "vistrel/imageloader.h"

class Video_Interface;
class Video_Surface;

// Largest picture accepted, so that a forged header cannot make us allocate gigabytes.
constexpr unsigned max_picture_side = 16384;
constexpr unsigned long long max_picture_pixels = 8192ull * 8192ull;

// Empty when a picture of that size may be loaded, else the reason it may not.
std::string picture_size_problem(unsigned width, unsigned height);

// Where a decoder puts the picture: 8-bit RGBA rows, picture row 0 (the top) first.
class Picture_Target {
public:
  Picture_Target(std::string video_name, std::string surface_name, std::string scene_name,
                 bool replace);

  // Creates the surface; false, with the reason in error(), when the size is refused or the
  // driver fails. Afterwards row(r) is the start of picture row r (4 bytes per pixel).
  bool begin(unsigned width, unsigned height);
  unsigned char* row(unsigned picture_row) const;
  // Makes the surface show the pixels the driver keeps for the picture `key` (loader and file),
  // if it keeps them; false when it does not, or with error() set when the surface failed.
  bool share(const std::string& key);
  // Hands the finished pixels to the driver and files them under the picture `key`.
  void finish(const std::string& key);
  // Takes a half-filled surface away again after a decoding failure.
  void abandon();
  const std::string& error() const { return error_; }

private:
  std::string video_name_, surface_name_, scene_name_;
  bool replace_;
  Video_Interface* video_ = nullptr;
  Video_Surface* surface_ = nullptr;
  unsigned height_ = 0;
  std::string error_;
};

class Picture_Loader : public Image_Loader {
public:
  // kind names the format in messages ("PNG").
  Picture_Loader(std::string kind, const picture_decoder* decoder);

  bool loadimage(std::string video_name, std::string file_name, std::string scene_name,
                 std::string surface_name, Brannow::FileManager* files, int flag) override;
  std::string get_version() override;
  std::string get_module_name() override;

private:
  // Decodes the whole file into the target; false with a reason a user can act on.
  bool decode(const unsigned char* data, std::size_t size, Picture_Target& target,
              std::string& reason);

  std::string kind_;
  const picture_decoder* decoder_;
  std::string module_name_;
};

// What a plug-in's _get_imageloader answers: a new loader, or null (it never throws).
Image_Loader* make_picture_loader(const char* kind, const picture_decoder* decoder);
