#include "window_picture.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>

namespace game_test {

WindowPicture::WindowPicture(int width, int height) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return;
  Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
  unsigned count = 0;
  XQueryTree(display, root, &root, &parent, &children, &count);
  XImage* image = nullptr;
  for (unsigned i = 0; i < count && !image; ++i) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, children[i], &attributes) && attributes.width == width &&
        attributes.height == height && attributes.map_state == IsViewable)
      image = XGetImage(display, children[i], 0, 0, width, height, AllPlanes, ZPixmap);
  }
  if (children) XFree(children);
  if (image) {
    width_ = width;
    pixels_.reserve(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) pixels_.push_back(XGetPixel(image, x, y));
    XDestroyImage(image);
  }
  XCloseDisplay(display);
}

WindowPicture::Colour WindowPicture::colour(int x, int y) const {
  const unsigned long pixel = pixels_.at(static_cast<size_t>(y) * width_ + x);
  return {static_cast<int>((pixel >> 16) & 0xff), static_cast<int>((pixel >> 8) & 0xff),
          static_cast<int>(pixel & 0xff)};
}

int WindowPicture::brightness(int x, int y) const {
  const Colour c = colour(x, y);
  return std::max({c.red, c.green, c.blue});
}

}  // namespace game_test
