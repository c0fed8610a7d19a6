// Window input of the OpenGL driver: callbacks that queue events, and mouse queries.
#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <cmath>

#include "opengl_video.h"

int translate_glfw_key(int key) {
  // Printable keys (space, digits, upper-case letters, punctuation) share their numbers.
  if (key >= GLFW_KEY_SPACE && key <= GLFW_KEY_WORLD_2) return key;
  if (key >= GLFW_KEY_F1 && key <= GLFW_KEY_F25) return VKEY_F1 + (key - GLFW_KEY_F1);
  if (key >= GLFW_KEY_KP_0 && key <= GLFW_KEY_KP_9) return VKEY_KP_0 + (key - GLFW_KEY_KP_0);
  switch (key) {
    case GLFW_KEY_ESCAPE: return VKEY_ESC;
    case GLFW_KEY_UP: return VKEY_UP;
    case GLFW_KEY_DOWN: return VKEY_DOWN;
    case GLFW_KEY_LEFT: return VKEY_LEFT;
    case GLFW_KEY_RIGHT: return VKEY_RIGHT;
    case GLFW_KEY_LEFT_SHIFT: return VKEY_LSHIFT;
    case GLFW_KEY_RIGHT_SHIFT: return VKEY_RSHIFT;
    case GLFW_KEY_LEFT_CONTROL: return VKEY_LCTRL;
    case GLFW_KEY_RIGHT_CONTROL: return VKEY_RCTRL;
    case GLFW_KEY_LEFT_ALT: return VKEY_LALT;
    case GLFW_KEY_RIGHT_ALT: return VKEY_RALT;
    case GLFW_KEY_TAB: return VKEY_TAB;
    case GLFW_KEY_ENTER: return VKEY_ENTER;
    case GLFW_KEY_BACKSPACE: return VKEY_BACKSPACE;
    case GLFW_KEY_INSERT: return VKEY_INSERT;
    case GLFW_KEY_DELETE: return VKEY_DEL;
    case GLFW_KEY_PAGE_UP: return VKEY_PAGEUP;
    case GLFW_KEY_PAGE_DOWN: return VKEY_PAGEDOWN;
    case GLFW_KEY_HOME: return VKEY_HOME;
    case GLFW_KEY_END: return VKEY_END;
    case GLFW_KEY_KP_DIVIDE: return VKEY_KP_DIVIDE;
    case GLFW_KEY_KP_MULTIPLY: return VKEY_KP_MULTIPLY;
    case GLFW_KEY_KP_SUBTRACT: return VKEY_KP_SUBTRACT;
    case GLFW_KEY_KP_ADD: return VKEY_KP_ADD;
    case GLFW_KEY_KP_DECIMAL: return VKEY_KP_DECIMAL;
    case GLFW_KEY_KP_EQUAL: return VKEY_KP_EQUAL;
    case GLFW_KEY_KP_ENTER: return VKEY_KP_ENTER;
    // Keys beyond the numbered table keep the numbers that followed it.
    case GLFW_KEY_NUM_LOCK: return 319;
    case GLFW_KEY_CAPS_LOCK: return 320;
    case GLFW_KEY_SCROLL_LOCK: return 321;
    case GLFW_KEY_PAUSE: return 322;
    case GLFW_KEY_LEFT_SUPER: return 323;
    case GLFW_KEY_RIGHT_SUPER: return 324;
    case GLFW_KEY_MENU: return 325;
    default: return -1;
  }
}

namespace {

void char_callback(GLFWwindow*, unsigned int code_point) {
  OpenGL_Video* video = OpenGL_Video::current();
  if (video == nullptr) return;
  Event event;
  event.type = CHARACTER;
  event.character = static_cast<int>(code_point);
  video->queue_event(event);
}

void button_callback(GLFWwindow*, int button, int action, int) {
  if (OpenGL_Video* video = OpenGL_Video::current())
    video->on_mouse_button(button, action == GLFW_PRESS);
}

void cursor_callback(GLFWwindow*, double x, double y) {
  if (OpenGL_Video* video = OpenGL_Video::current()) video->on_mouse_move(x, y);
}

int button_bit(int glfw_button) {
  switch (glfw_button) {
    case GLFW_MOUSE_BUTTON_RIGHT: return MOUSE_BUTTON_RIGHT;
    case GLFW_MOUSE_BUTTON_MIDDLE: return MOUSE_BUTTON_MIDDLE;
    default: return MOUSE_BUTTON_LEFT;
  }
}

}  // namespace

void OpenGL_Video::on_key(int glfw_key, bool pressed, int mods) {
  // A repeat is another press.
  const bool full_screen_key =
      glfw_key == GLFW_KEY_F11 ||
      ((glfw_key == GLFW_KEY_ENTER || glfw_key == GLFW_KEY_KP_ENTER) && (mods & GLFW_MOD_ALT));
  if (settings_.resizable && full_screen_key) {
    // The switch is the window's; the key does not reach the game (Enter would press a button).
    full_screen_asked_ = full_screen_asked_ || pressed;
    return;
  }
  const int code = translate_glfw_key(glfw_key);
  if (!key_events_ || code < 0) return;
  Event event;
  event.type = pressed ? KEYBOARD_PRESS : KEYBOARD_RELEASE;
  event.key = code;
  queue_event(event);
}

bool OpenGL_Video::read_cursor(double* mx, double* my) const {
  *mx = *my = 0;
  if (window_ == nullptr) return false;
  glfwGetCursorPos(window_, mx, my);
  to_picture_pixels(mx, my);
  return true;
}

void OpenGL_Video::to_picture_pixels(double* mx, double* my) const {
  if (settings_.resizable && window_area_.width > 0 && window_area_.height > 0) {
    *mx = (*mx - window_area_.x) * settings_.width / window_area_.width;
    *my = (*my - window_area_.y) * settings_.height / window_area_.height;
  }
  // Whole pixels, as the window reports them.
  *mx = std::floor(*mx);
  *my = std::floor(*my);
}

void OpenGL_Video::normalised_from_pixels(double mx, double my, double* x, double* y) const {
  const int half_w = settings_.width / 2, half_h = settings_.height / 2;
  *x = (mx - half_w) / (settings_.width * 0.5);
  *y = (half_h - my) / (settings_.height * 0.5);
}

void OpenGL_Video::_get_mouse_position(double* x, double* y) {
  double mx = 0, my = 0, nx = 0, ny = 0;
  if (read_cursor(&mx, &my)) normalised_from_pixels(mx, my, &nx, &ny);
  if (x) *x = nx;
  if (y) *y = ny;
}

void OpenGL_Video::_get_mouse_position(int* x, int* y) {
  double mx = 0, my = 0;
  read_cursor(&mx, &my);
  if (x) *x = static_cast<int>(mx) - settings_.width / 2;
  if (y) *y = static_cast<int>(my) - settings_.height / 2;
}

void OpenGL_Video::_get_mouse_button_state(MOUSE_BUTTON* button, EVENT_TYPE* state) {
  if (state == nullptr) return;
  *state = MOUSE_RELEASE;
  if (window_ == nullptr) return;
  int glfw_button = GLFW_MOUSE_BUTTON_LEFT;
  if (button != nullptr && *button == MOUSE_BUTTON_RIGHT) glfw_button = GLFW_MOUSE_BUTTON_RIGHT;
  if (button != nullptr && *button == MOUSE_BUTTON_MIDDLE) glfw_button = GLFW_MOUSE_BUTTON_MIDDLE;
  if (glfwGetMouseButton(window_, glfw_button) == GLFW_PRESS) *state = MOUSE_PRESS;
}

void OpenGL_Video::on_mouse_button(int button, bool pressed) {
  double x = 0, y = 0;
  _get_mouse_position(&x, &y);
  queue_event(pointer_event(pressed ? MOUSE_PRESS : MOUSE_RELEASE, x, y, button_bit(button)));
}

void OpenGL_Video::on_mouse_move(double px, double py) {
  double x = 0, y = 0;
  to_picture_pixels(&px, &py);
  normalised_from_pixels(px, py, &x, &y);
  int buttons = 0;
  if (window_ != nullptr) {
    auto held = [&](int b) { return glfwGetMouseButton(window_, b) == GLFW_PRESS; };
    buttons = (held(GLFW_MOUSE_BUTTON_LEFT) ? MOUSE_BUTTON_LEFT : 0) |
              (held(GLFW_MOUSE_BUTTON_RIGHT) ? MOUSE_BUTTON_RIGHT : 0) |
              (held(GLFW_MOUSE_BUTTON_MIDDLE) ? MOUSE_BUTTON_MIDDLE : 0);
  }
  queue_event(pointer_event(MOUSE_MOVE, x, y, buttons));
}

void OpenGL_Video::_enable_mouse_button_events(bool enable) {
  if (window_ != nullptr) glfwSetMouseButtonCallback(window_, enable ? button_callback : nullptr);
}

void OpenGL_Video::_enable_key_events(bool enable) {
  key_events_ = enable && window_ != nullptr;
}

void OpenGL_Video::_enable_char_events(bool enable) {
  if (window_ != nullptr) glfwSetCharCallback(window_, enable ? char_callback : nullptr);
}

void OpenGL_Video::_enable_mouse_move_events(bool enable) {
  if (window_ == nullptr) return;
  glfwSetCursorPosCallback(window_, enable ? cursor_callback : nullptr);
  if (!enable) return;
  double mx = 0, my = 0;
  read_cursor(&mx, &my);
  on_mouse_move(mx, my);
}

void OpenGL_Video::_show_mouse(bool visible) {
  if (!glfw_up_ || window_ == nullptr) return;
  glfwSetInputMode(window_, GLFW_CURSOR, visible ? GLFW_CURSOR_NORMAL : GLFW_CURSOR_DISABLED);
}
