// The yardstick for start-up: the least a GLFW program does to show a frame, a window of the
// game's size and pixel format, cleared to grey and swapped, then shown until it is ended.
#include <GLFW/glfw3.h>

#include <csignal>

namespace {
volatile std::sig_atomic_t ended = 0;
}

int main() {
  std::signal(SIGTERM, [](int) { ended = 1; });
  if (!glfwInit()) return 1;
  // GLFW's defaults are the driver's 8-bit colour and alpha, double-buffered; the rest as it asks.
  glfwWindowHint(GLFW_DEPTH_BITS, 16);
  glfwWindowHint(GLFW_STENCIL_BITS, 0);
  glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
  GLFWwindow* window = glfwCreateWindow(800, 600, "bare window", nullptr, nullptr);
  if (!window) return 1;
  glfwMakeContextCurrent(window);
  while (!ended && !glfwWindowShouldClose(window)) {
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glfwSwapBuffers(window);
    glfwWaitEventsTimeout(1 / 60.0);  // redrawn at the game's rate until the window shows
  }
  glfwTerminate();
  return 0;
}
