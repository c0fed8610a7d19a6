#pragma once
// Notices the window going away under the driver: destroyed by another client, or the X
// connection lost (the server gone, the client killed). Xlib would end the process on either
// (its default handlers call exit); these handlers only take note, so the engine ends the run
// as after a close request.

struct GLFWwindow;

namespace window_watch {
// Takes over Xlib's error handlers for the window's display.
void watch(GLFWwindow* window);
// Reads what the server has sent and reports whether the window or its connection is gone;
// call it before GLFW takes the events.
bool window_gone();
// Whether the connection itself is gone: nothing may be sent on it any more.
bool connection_lost();
}  // namespace window_watch
