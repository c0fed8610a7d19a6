#include "picture_loader.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#include "handro/dynamic.h"
#include "olvane/video.h"
#include "tarnvale/quoted.h"

namespace {

// Its address lies in the plug-in this code is linked into.
void anchor() {}

using tarnvale::quoted;

// A 64-bit hash and the length of a file's bytes. The library's hash takes eight bytes a step;
// FNV-1a's byte-wise multiply chain cost a fifth of the decoding of a small picture.
std::string content_digest(const char* bytes, std::size_t size) {
  return std::to_string(std::hash<std::string_view>{}(std::string_view(bytes, size))) + ":" +
         std::to_string(size);
}

}  // namespace

std::string picture_size_problem(unsigned width, unsigned height) {
  if (width == 0 || height == 0) return "the picture has no pixels";
  if (width > max_picture_side || height > max_picture_side ||
      static_cast<unsigned long long>(width) * height > max_picture_pixels)
    return "the picture is too big (" + std::to_string(width) + " x " + std::to_string(height) +
           " pixels; at most " + std::to_string(max_picture_side) + " on a side and " +
           std::to_string(max_picture_pixels / 1000000) + " million in all)";
  return {};
}

Picture_Target::Picture_Target(std::string video_name, std::string surface_name,
                               std::string scene_name, bool replace)
    : video_name_(std::move(video_name)),
      surface_name_(std::move(surface_name)),
      scene_name_(std::move(scene_name)),
      replace_(replace) {}

bool Picture_Target::begin(unsigned width, unsigned height) {
  error_ = picture_size_problem(width, height);
  if (!error_.empty()) return false;
  Video_Interface* video = video_ = video_get_interface(video_name_);
  if (video == nullptr) {
    error_ = "there is no video driver " + quoted(video_name_);
    return false;
  }
  const int w = static_cast<int>(width), h = static_cast<int>(height);
  if (!video->_create_surface(w, h, surface_name_, scene_name_, replace_)) {
    error_ = "can't create surface " + quoted(surface_name_) + " in " + quoted(scene_name_) +
             ": " + video->_get_error();
    return false;
  }
  surface_ = video->_get_surface(surface_name_, scene_name_);
  if (surface_ == nullptr || surface_->_get_surface_data() == nullptr ||
      surface_->_get_width() < w || surface_->_get_height() < h || surface_->_get_bpp() != 4 ||
      surface_->_get_pitch() < w * 4) {
    error_ = "the video driver gave no usable surface " + quoted(surface_name_);
    surface_ = nullptr;
    return false;
  }
  height_ = height;
  return true;
}

unsigned char* Picture_Target::row(unsigned picture_row) const {
  // The surface's first row is the bottom of the picture.
  const unsigned surface_row = height_ - 1 - picture_row;
  return static_cast<unsigned char*>(surface_->_get_surface_data()) +
         static_cast<std::size_t>(surface_row) * static_cast<std::size_t>(surface_->_get_pitch());
}

bool Picture_Target::share(const std::string& key) {
  Video_Interface* video = video_get_interface(video_name_);
  std::shared_ptr<Video_Pixels> pixels = video ? video_find_picture(video, key) : nullptr;
  if (!pixels) return false;
  // The new surface is made at its smallest and then shows the shared pixels at their size.
  if (!video->_create_surface(1, 1, surface_name_, scene_name_, replace_)) {
    error_ = "can't create surface " + quoted(surface_name_) + " in " + quoted(scene_name_) +
             ": " + video->_get_error();
    return false;
  }
  Video_Surface* surface = video->_get_surface(surface_name_, scene_name_);
  if (surface == nullptr || !surface->_share_pixels(pixels)) {
    error_ = "the video driver gave no usable surface " + quoted(surface_name_);
    return false;
  }
  return true;
}

void Picture_Target::finish(const std::string& key) {
  if (surface_ == nullptr) return;
  surface_->_update();
  video_keep_picture(video_, key, surface_);
}

void Picture_Target::abandon() {
  if (surface_ == nullptr) return;
  surface_ = nullptr;
  video_->_remove_surface(surface_name_, scene_name_);
}

Picture_Loader::Picture_Loader(std::string kind, const picture_decoder* decoder)
    : kind_(std::move(kind)),
      decoder_(decoder),
      module_name_(module_get_name_of(reinterpret_cast<void*>(&anchor))) {}

bool Picture_Loader::loadimage(std::string video_name, std::string file_name,
                               std::string scene_name, std::string surface_name,
                               Brannow::FileManager* files, int flag) {
  const std::string what = "Can't load " + kind_ + " image " + quoted(file_name) + ": ";
  try {
    if (files == nullptr) {
      imageloader_seterror(what + "no file manager");
      return false;
    }
    std::shared_ptr<Brannow::File> file;
    try {
      file = files->open(file_name, Brannow::READ, Brannow::NO_CACHE);
    } catch (const BrannowError& e) {
      imageloader_seterror(what + "can't open the file (" + e.what() + ")");
      return false;
    }
    if (!file || file->get_size() == 0) {
      imageloader_seterror(what + "the file is empty");
      return false;
    }
    Picture_Target target(video_name, surface_name, scene_name, flag != 0);
    // A picture this loader already gave the driver from the same bytes of the same file
    // (through the same file manager) is shown again, not decoded again; a file written anew
    // in between is a picture of its own.
    const std::string key = module_name_ + "\n" +
                            std::to_string(reinterpret_cast<std::uintptr_t>(files)) + "\n" +
                            file_name + "\n" + content_digest(file->get_content(), file->get_size());
    if (target.share(key)) return true;
    if (!target.error().empty()) {
      imageloader_seterror(what + target.error());
      return false;
    }
    std::string reason;
    if (!decode(reinterpret_cast<const unsigned char*>(file->get_content()), file->get_size(),
                target, reason)) {
      target.abandon();
      imageloader_seterror(what + reason);
      return false;
    }
    target.finish(key);
    return true;
  } catch (const std::bad_alloc&) {
    imageloader_seterror(what + "out of memory");
  } catch (const std::exception& e) {
    imageloader_seterror(what + e.what());
  }
  return false;
}

bool Picture_Loader::decode(const unsigned char* data, std::size_t size, Picture_Target& target,
                            std::string& reason) {
  std::unique_ptr<void, void (*)(void*)> job(decoder_->begin(data, size), decoder_->end);
  if (!job) throw std::bad_alloc();
  if (decoder_->failed(job.get())) {
    reason = decoder_->message(job.get());
    return false;
  }
  const unsigned height = decoder_->height(job.get());
  if (!target.begin(decoder_->width(job.get()), height)) {
    reason = target.error();
    return false;
  }
  // Decoded whole either way, so that a broken picture fails alike; rows not kept share one.
  const std::size_t unkept_size = imageloader_keeps_pixels() ? 0 : decoder_->width(job.get()) * 4u;
  std::vector<unsigned char> unkept(unkept_size);
  std::vector<unsigned char*> rows(height);
  for (unsigned r = 0; r < height; ++r) rows[r] = unkept.empty() ? target.row(r) : unkept.data();
  if (!decoder_->pixels(job.get(), rows.data())) {
    reason = std::string("the file is broken (") + decoder_->message(job.get()) + ")";
    return false;
  }
  return true;
}

std::string Picture_Loader::get_version() { return "1.0"; }

std::string Picture_Loader::get_module_name() { return module_name_; }

Image_Loader* make_picture_loader(const char* kind, const picture_decoder* decoder) {
  try {
    return new Picture_Loader(kind, decoder);
  } catch (...) {
    return nullptr;
  }
}
