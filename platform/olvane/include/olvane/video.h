#pragma once
// The video layer: named video drivers made by plug-ins loaded by bare name ("libGL_tessar",
// bound through its export _get_video_driver), and the classes drivers and callers share.
//
// Coordinates are normalised: x from -1 (left edge) to 1 (right edge), y from -1 (bottom) to 1
// (top); n pixels are 2*n/width horizontally and 2*n/height vertically.
// Every surface, sprite and particle set is addressed by (name, group), name first. The driver
// owns them all; callers never delete what a driver hands out.

#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

class Video_Interface;
class Video_Surface;

enum EVENT_TYPE : int {
  KEYBOARD_PRESS = 0,
  KEYBOARD_RELEASE = 1,
  MOUSE_PRESS = 2,
  MOUSE_RELEASE = 3,
  MOUSE_MOVE = 4,
  CHARACTER = 5,
  QUIT = 6,
  NO_EVENT = 7
};

// Bits; a move event carries the or of the buttons held. Fixed to int so that any button
// number can be passed (values other than these mean the left button).
enum MOUSE_BUTTON : int { MOUSE_BUTTON_LEFT = 1, MOUSE_BUTTON_RIGHT = 2, MOUSE_BUTTON_MIDDLE = 4 };

// Whether a surface is drawn with blending (ALPHA_BLENDED) or opaque.
enum ALPHASTATE { ALPHA_OPAQUE = 0, ALPHA_BLENDED = 1 };

// Key codes carried by keyboard events: printable keys are their character codes (letters upper
// case, "A" is 65), the space bar 32; special keys count from 256.
enum VIDEO_KEY {
  VKEY_SPACE = 32,
  VKEY_SPECIAL = 256,
  VKEY_ESC = 257,
  VKEY_F1 = 258,   // F1 .. F25 are 258 .. 282
  VKEY_F25 = 282,
  VKEY_UP = 283,
  VKEY_DOWN = 284,
  VKEY_LEFT = 285,
  VKEY_RIGHT = 286,
  VKEY_LSHIFT = 287,
  VKEY_RSHIFT = 288,
  VKEY_LCTRL = 289,
  VKEY_RCTRL = 290,
  VKEY_LALT = 291,
  VKEY_RALT = 292,
  VKEY_TAB = 293,
  VKEY_ENTER = 294,
  VKEY_BACKSPACE = 295,
  VKEY_INSERT = 296,
  VKEY_DEL = 297,
  VKEY_PAGEUP = 298,
  VKEY_PAGEDOWN = 299,
  VKEY_HOME = 300,
  VKEY_END = 301,
  VKEY_KP_0 = 302,  // keypad 0 .. 9 are 302 .. 311
  VKEY_KP_9 = 311,
  VKEY_KP_DIVIDE = 312,
  VKEY_KP_MULTIPLY = 313,
  VKEY_KP_SUBTRACT = 314,
  VKEY_KP_ADD = 315,
  VKEY_KP_DECIMAL = 316,
  VKEY_KP_EQUAL = 317,
  VKEY_KP_ENTER = 318
};

struct VideoPoint {
  double x = 0, y = 0;
};

struct VideoRect {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// A colour held twice: as floats 0..1 and as bytes 0..255 in memory order red, green, blue, alpha.
struct VideoColor {
  float red = 1, green = 1, blue = 1, alpha = 1;
  unsigned char bytes[4] = {255, 255, 255, 255};
  // Components outside 0..255 are clamped.
  void set_color(int r, int g, int b, int a);
};

// One input notification. Fields the event type does not use are 0.
class Event {
public:
  Event() = default;
  Event(const Event&) = default;
  Event& operator=(const Event&) = default;

  virtual EVENT_TYPE _get_type();
  // Position (normalised), buttons (MOUSE_BUTTON bits); a null pointer is skipped.
  virtual void _get_mouse_state(float* x, float* y, int* buttons);
  virtual int _get_keyboard_state();  // the key code
  virtual int _get_char();            // the Unicode code point of a CHARACTER event
  virtual ~Event();

  EVENT_TYPE type = NO_EVENT;
  int character = 0;
  int key = 0;
  float x = 0, y = 0;
  float dx = 0, dy = 0;  // change since the previous event of the same kind (move, or button)
  int buttons = 0;
};

class Video_Sprite;

// Memory that calloc hands out zeroed, whose value-initialised elements are left as they came:
// fresh pages of a texture-sized buffer cost neither writes nor page faults until drawn on. A
// vector of it must be sized once, when empty (growing it back into capacity it kept would not
// zero those elements).
template <class T>
struct Zeroed_Allocator {
  using value_type = T;
  Zeroed_Allocator() = default;
  template <class U>
  Zeroed_Allocator(const Zeroed_Allocator<U>&) {}
  T* allocate(std::size_t count) {
    if (void* memory = std::calloc(count, sizeof(T))) return static_cast<T*>(memory);
    throw std::bad_alloc();
  }
  void deallocate(T* memory, std::size_t) { std::free(memory); }
  template <class U>
  void construct(U*) noexcept {}
  template <class U, class... Args>
  void construct(U* at, Args&&... args) {
    ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
  }
  template <class U>
  bool operator==(const Zeroed_Allocator<U>&) const { return true; }
  template <class U>
  bool operator!=(const Zeroed_Allocator<U>&) const { return false; }
};

// The pixels a surface shows and the driver's uploaded copy of them. Surfaces made from the same
// picture file by the same loader share one (Video_Surface::_share_pixels); it goes with the last
// of them. Writing to shared pixels changes every surface showing them.
class Video_Pixels {
public:
  Video_Pixels() = default;
  Video_Pixels(const Video_Pixels&) = delete;
  Video_Pixels& operator=(const Video_Pixels&) = delete;
  // Releases the texture and unfiles the picture it was kept under (video_keep_picture).
  ~Video_Pixels();

  std::vector<unsigned char, Zeroed_Allocator<unsigned char>> data;  // sized once, by _create
  int width = 0, height = 0, texture_width = 0, texture_height = 0;
  bool dirty = false;
  unsigned texture = 0;  // the driver's name for the uploaded copy; 0 before the first upload
  // Called with the texture when the buffer goes (drivers that upload set it).
  void (*release_texture)(void* driver, unsigned texture) = nullptr;
  void* driver = nullptr;
  // One of the surfaces showing these pixels; the others follow in its ring.
  Video_Surface* shown_by = nullptr;
  // Where it is filed as a loaded picture (empty when it is not).
  Video_Interface* picture_video = nullptr;
  std::string picture_key;
};

// A pixel buffer that a driver turns into one texture.
//
// Pixel layout: 4 bytes per pixel, in memory order red, green, blue, alpha. The buffer holds
// texture-height rows of texture-width pixels (both powers of two >= the requested size); only
// the first _get_width() pixels of the first _get_height() rows are shown. Row 0 is the BOTTOM
// row of the picture. _get_pitch() is the row length in bytes (texture width * 4).
// After changing pixels, call _mark_dirty() (uploaded at the next draw) or _update() (now).
class Video_Surface {
public:
  Video_Surface();
  Video_Surface(const Video_Surface&) = delete;
  Video_Surface& operator=(const Video_Surface&) = delete;

  virtual void* _get_surface_data();
  virtual int _get_width();
  virtual int _get_height();
  virtual int _get_bpp();  // bytes per pixel, 4
  virtual int _get_pitch();
  // Masks of the components as if the 4 bytes were read most significant first (red first).
  virtual unsigned _get_Rmask();
  virtual unsigned _get_Bmask();
  virtual unsigned _get_Gmask();
  virtual unsigned _get_Amask();
  // Adds a sprite to the list the driver draws together with this surface.
  virtual void _link_sprite(Video_Sprite* sprite);
  // Records a sprite by (name, group) for drivers that keep sprites by name.
  virtual void _link_sprite(std::string name, std::string group);
  // Allocates a zeroed w x h buffer; false for sizes below 1 or above 32768.
  virtual bool _create(int w, int h);
  // Copies the rectangle (x, y, w, h) in pixels into `out` as 16-bit values of the component
  // `channel` (0 red .. 3 alpha), row by row; false when the rectangle leaves the surface.
  virtual bool _split_texture_(unsigned short x, unsigned short y, unsigned short w,
                               unsigned short h, short* out, unsigned char channel);
  // Hands the pixels to the graphics card now (the base only clears the dirty flag).
  virtual void _update();
  virtual void _set_alpha_status(ALPHASTATE status);
  virtual ALPHASTATE _get_alpha_status();
  virtual ~Video_Surface();

  // Not in the original slot table; used by drivers and loaders.
  int _get_texture_width() const { return texture_width_; }
  int _get_texture_height() const { return texture_height_; }
  bool _is_dirty() const { return pixels_->dirty; }
  void _mark_dirty() { pixels_->dirty = true; }
  // Takes the sprite out of the linked list (in constant time; the list keeps its order).
  void _unlink_sprite(Video_Sprite* sprite);
  // The linked sprites in link order; entries of unlinked sprites may be null.
  const std::vector<Video_Sprite*>& _get_linked_sprites() const { return linked_; }
  const std::vector<std::pair<std::string, std::string>>& _get_linked_sprite_names() const {
    return linked_names_;
  }
  // Shows the given pixels (at their size) instead of its own; false for a buffer without
  // pixels or one that does not fit the surfaces showing it.
  bool _share_pixels(const std::shared_ptr<Video_Pixels>& pixels);
  const std::shared_ptr<Video_Pixels>& _get_pixels() const { return pixels_; }
  // The next surface showing the same pixels (itself when it shows them alone).
  Video_Surface* _next_sharer() const { return next_sharer_; }

protected:
  // Leaves the ring of the surfaces showing its pixels.
  void leave_sharers();

  // Made by the constructor (drivers that keep more per buffer replace it before _create).
  std::shared_ptr<Video_Pixels> pixels_;
  int bpp_ = 4;
  int width_ = 0, height_ = 0;
  int texture_width_ = 0, texture_height_ = 0;
  unsigned rmask_ = 0xff000000u, gmask_ = 0x00ff0000u, bmask_ = 0x0000ff00u, amask_ = 0x000000ffu;
  ALPHASTATE alpha_status_ = ALPHA_BLENDED;
  std::vector<Video_Sprite*> linked_;
  std::size_t unlinked_ = 0;  // null entries in linked_
  std::vector<std::pair<std::string, std::string>> linked_names_;
  Video_Surface* next_sharer_ = this;
  Video_Surface* previous_sharer_ = this;
};

// A placed, scaled, rotated, tinted view of a surface.
// Position and base point are in normalised units; the base point is the point of the picture
// that sits on the position and about which it turns. Sprites belong to their driver: release
// one with the driver's _remove_sprite, which also drops it from the frame's queue.
class Video_Sprite {
public:
  Video_Sprite(std::string name, std::string group, Video_Interface* video);
  Video_Sprite(const Video_Sprite&) = delete;
  Video_Sprite& operator=(const Video_Sprite&) = delete;

  virtual void _set_scale(float sx, float sy);
  virtual void _set_rotation(float degrees);  // counter-clockwise; kept as radians
  // Base point in pixels of the picture (from its lower-left corner).
  virtual void _set_base_point(int px, int py);
  // Base point as fractions of the sprite's own size: (0.5, 0.5) is its centre.
  virtual void _set_base_point(double fx, double fy);
  virtual void _set_alpha(float alpha);
  virtual void _set_coord(double x, double y);
  // Records the surface by name and links this sprite to it when the driver has it; the
  // sprite takes the surface's size.
  virtual void _set_surface(Video_Interface* video, std::string name, std::string group);
  virtual ~Video_Sprite();
  virtual void _set_blend_color(float r, float g, float b);
  virtual int _get_height();  // pixels
  virtual int _get_width();
  virtual double _get_x();
  virtual double _get_y();
  virtual double _get_base_x();  // normalised units
  virtual double _get_base_y();
  virtual double _get_v_offset();  // the sprite's height in normalised units (unscaled)
  virtual double _get_h_offset();  // the sprite's width in normalised units (unscaled)
  // The area the sprite covers on screen when not rotated (scales included); untouched if null.
  virtual void _get_rectangle(VideoRect* rect);

  // State the driver reads; not in the original slot table.
  const std::string& _get_name() const { return name_; }
  const std::string& _get_group() const { return group_; }
  const std::string& _get_surface_name() const { return surface_name_; }
  const std::string& _get_surface_group() const { return surface_group_; }
  Video_Interface* _get_video() const { return video_; }
  float _get_scale_x() const { return scale_x_; }
  float _get_scale_y() const { return scale_y_; }
  float _get_rotation() const { return rotation_; }  // radians
  float _get_alpha() const { return alpha_; }
  float _get_blend_r() const { return blend_r_; }
  float _get_blend_g() const { return blend_g_; }
  float _get_blend_b() const { return blend_b_; }
  void _set_size(int w, int h) { width_ = w; height_ = h; }

  // Per-frame flags kept by the driver.
  bool _queued_ = false;
  bool _drawn_ = false;
  // The surface this sprite is currently in the linked list of, and its place there (driver
  // bookkeeping).
  Video_Surface* _linked_surface_ = nullptr;
  std::size_t _link_index_ = 0;

private:
  double window_width() const;
  double window_height() const;

  std::string name_, group_;
  Video_Interface* video_;
  std::string surface_name_, surface_group_;
  double x_ = 0, y_ = 0;
  double base_x_ = 0, base_y_ = 0;
  int width_ = 0, height_ = 0;
  float rotation_ = 0;
  float scale_x_ = 1, scale_y_ = 1;
  float alpha_ = 1;
  float blend_r_ = 1, blend_g_ = 1, blend_b_ = 1;
};

// A fixed number of coloured points positioned one by one. Release a set through the driver's
// _remove_particles (deleting it directly also unfiles it from the OpenGL driver).
class Video_Particles {
public:
  Video_Particles() = default;
  Video_Particles(const Video_Particles&) = delete;
  Video_Particles& operator=(const Video_Particles&) = delete;

  virtual ~Video_Particles();
  // Added to every particle position as it is set.
  virtual void _set_particles_base_coord(float x, float y);
  // Particle i at (x, y) + base, colour components 0..255, alpha 0..1; false when i is out of range.
  virtual bool _set_particle(int i, float x, float y, int r, int g, int b, float a) = 0;
  virtual void _get_particles_base_coord(float* x, float* y);
  virtual bool _get_particle(int i, float* x, float* y, int* r, int* g, int* b, float* a) = 0;
  // Size of one particle in pixels; set before the first draw.
  virtual void _set_particle_size(int size) = 0;

protected:
  float base_x_ = 0, base_y_ = 0;
};

// What a driver offers.
class Video_Features {
public:
  virtual bool _support_blit() = 0;
  virtual bool _support_group_blit() = 0;
  virtual bool _support_sprites() = 0;
  virtual bool _support_particles() = 0;
  virtual bool _support_render_to_surface() = 0;
  virtual bool _support_get_main_surfaace();  // false
  virtual ~Video_Features();
  virtual bool _support_shaders() = 0;
};

// A video driver. Failures return false or null and leave a readable text for _get_error().
// Operations marked "group◦" take an empty group as the current group (_set_group).
class Video_Interface {
public:
  virtual void _draw_polygon(std::vector<VideoPoint> points) = 0;  // outline, drawn at _flip
  virtual Video_Features* _get_features() = 0;
  virtual std::string _get_name() = 0;
  virtual bool _remove_surface(std::string name, std::string group) = 0;
  // Copying between surfaces; drivers without it answer false.
  virtual bool _blit(std::string src, double x, double y, std::string dst, double dx, double dy);
  virtual bool _blit(std::string src, int x, int y, std::string dst, int dx, int dy);
  virtual bool _draw_sprite(Video_Sprite* sprite) = 0;
  virtual bool _draw_sprite(std::string name, std::string group) = 0;                   // group◦
  virtual bool _draw_particles(std::string name, std::string group, bool under_sprites) = 0;  // group◦
  // Destroys the sprite and takes it out of its surface's list and of the frame's queue.
  virtual bool _remove_sprite(std::string name, std::string group) = 0;
  // Size as fractions of the window (truncated to whole pixels).
  virtual bool _create_surface(double w_factor, double h_factor, std::string name,
                               std::string group, bool replace) = 0;  // group◦
  virtual bool _create_surface(int w, int h, std::string name, std::string group,
                               bool replace) = 0;  // group◦
  virtual bool _set_group(std::string group) = 0;
  virtual std::string _get_group() = 0;
  virtual std::string _get_info() = 0;
  virtual Video_Surface* _get_surface(std::string name, std::string group) = 0;      // group◦
  virtual Video_Particles* _get_particles(std::string name, std::string group) = 0;  // group◦
  virtual Video_Sprite* _get_sprite(std::string name, std::string group) = 0;        // group◦
  // _get_sprite without copying the names: for lookups made every frame.
  virtual Video_Sprite* _find_sprite(const std::string& name, const std::string& group) = 0;  // group◦
  virtual bool _create_sprite(std::string name, std::string group, std::string surface_name,
                              std::string surface_group, bool replace) = 0;
  // `count` particles textured with the surface (texture name, texture group); an empty
  // texture name draws them untextured.
  virtual bool _create_particles(std::string name, std::string group, std::string texture_name,
                                 std::string texture_group, int count, bool replace) = 0;
  virtual void _enable_mouse_button_events(bool enable) = 0;
  virtual void _enable_key_events(bool enable) = 0;
  virtual void _enable_char_events(bool enable) = 0;
  virtual void _enable_mouse_move_events(bool enable) = 0;
  // Ends the frame: waits for the frame limit, draws what was queued, swaps, polls input, clears.
  virtual void _flip() = 0;
  virtual short _get_width() = 0;
  virtual short _get_height() = 0;
  virtual bool _init() = 0;
  virtual bool _deinit() = 0;
  virtual std::string _get_error() = 0;
  virtual void _get_mouse_position(double* x, double* y) = 0;  // normalised
  virtual void _get_mouse_position(int* x, int* y) = 0;        // pixels from the centre, y down
  virtual void _get_mouse_button_state(MOUSE_BUTTON* button, EVENT_TYPE* state) = 0;
  // The oldest queued event, or a NO_EVENT event.
  virtual Event _get_event() = 0;
  // Whether (px, py) lies in the unscaled, unrotated box of the sprite placed at (x, y).
  virtual bool _is_point_in_sprite(double x, double y, double px, double py, std::string name,
                                   std::string group) = 0;
  virtual bool _set_cursor_sprite(std::string name, std::string group) = 0;
  virtual void _show_mouse(bool visible) = 0;
  virtual ~Video_Interface();
  virtual bool _group_blit(std::string src, double x, double y, std::string dst, double dx,
                           double dy, std::string src_group, std::string dst_group) = 0;
  virtual bool _group_blit(std::string src, int x, int y, std::string dst, int dx, int dy,
                           std::string src_group, std::string dst_group) = 0;
  virtual void _show_cursor(bool visible) = 0;
  // Destroys the particle set and drops it from the frame's queues (never delete a set twice).
  virtual bool _remove_particles(std::string name, std::string group) = 0;
  // The driver scale that multiplies every sprite vertex (window height / base height); 1 here.
  virtual double _get_scale();
  // The player's window: its size in pixels (the picture is scaled to fit it) and whether it
  // fills the screen at the desktop's resolution. false where the window cannot change (a
  // driver without one, or one whose size is fixed at start-up).
  virtual bool _set_window_mode(int width, int height, bool full_screen);
  // Whether the window fills the screen now, however it got there (F11 too).
  virtual bool _is_full_screen();
  // Most frames a second from now on; 0 or less: no limit.
  virtual void _set_frame_limit(float frames_per_second);
};

// Plain functions with undecorated names, strings by value as everywhere in the engine.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wreturn-type-c-linkage"
#endif
extern "C" {

// Loads the plug-in `driver` by bare name, calls its _get_video_driver(params, count) and keeps
// the driver under `name`. false, with video_error() saying why, when a step fails or `name` is
// taken. `flag` is not used.
bool video_create(std::string name, std::string driver, std::string* params, int count, int flag);

// The driver kept under `name`, or null.
Video_Interface* video_get_interface(std::string name);

// Destroys the driver kept under `name` (after its _deinit); false when there is none.
bool video_remove(std::string name);

// The text of the last failure.
std::string video_error();

// What a driver plug-in exports.
typedef Video_Interface* (*video_driver_entry)(const std::string* params, int count);
}
#if defined(__clang__)
#pragma clang diagnostic pop
#endif

// Pictures loaded into a driver, so that loading one again shares its pixels: `key` names the
// loader and the file. The pixels stay filed while a surface shows them.
void video_keep_picture(Video_Interface* video, const std::string& key, Video_Surface* surface);
// The pixels filed under `key` for the driver, or null.
std::shared_ptr<Video_Pixels> video_find_picture(Video_Interface* video, const std::string& key);
