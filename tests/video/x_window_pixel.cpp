// Kept apart from the driver's headers: Xlib's Time typedef clashes with the stopwatch class.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

// What the X server shows of the window at pixel (x, y), y from the top; false without it. Asked
// on the driver's own connection, so that the frame it sent is there first.
bool read_window_pixel(void* display, unsigned long window, int x, int y, unsigned char rgb[3]) {
  XImage* image = XGetImage(static_cast<Display*>(display), window, x, y, 1, 1, AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  const unsigned long pixel = XGetPixel(image, 0, 0);
  rgb[0] = static_cast<unsigned char>(pixel >> 16);
  rgb[1] = static_cast<unsigned char>(pixel >> 8);
  rgb[2] = static_cast<unsigned char>(pixel);
  XDestroyImage(image);
  return true;
}
