#pragma once
// A program's window on the private X server, driven as a player would: found by its caption,
// clicked with xdotool, closed through the window manager's request.
#include <string>

namespace test_support {

// The id of the first window whose caption matches ("" when none shows up in time).
std::string find_window(const std::string& caption, double timeout_seconds);
// A click (X button 1 is the left, 3 the right) at the normalised point (x, y) (-1 .. 1, y up)
// of an 800 x 600 window.
void click(const std::string& window, float x, float y, int button = 1);
// A click at window pixel (px, py), from the top-left corner.
void click_pixel(const std::string& window, int px, int py, int button = 1);
// What a window manager sends when the user closes the window; false without an X display.
bool request_close(const std::string& window);
// Destroys the window from another client, as a window manager or a crashing parent might.
bool destroy_window(const std::string& window);

}  // namespace test_support
