#pragma once
// Helpers the widgets that draw for themselves share.

#include <cstdint>
#include <string>

#include "brannow/brannow.h"
#include "olvane/video.h"

// 0xRRGGBBAA as the video layer's colour.
VideoColor color_from_rgba(uint32_t color);

// Loads the picture file into the surface (name, group) of the video device, through the named
// image loader or, with an empty loader, the one the file name picks, and puts a sprite of the
// same name and group on it with the base point (fractions). The sprite, or null with *error set.
Video_Sprite* load_picture_sprite(const std::string& video_name, const std::string& loader,
                         const std::string& file, const std::string& name,
                         const std::string& group, Brannow::FileManager* file_manager,
                         float x_base, float y_base, std::string* error);
