// Links the widgets through pkg-config's flags alone: the UI library registers its types.
#include <iostream>

#include <panolet/ui.h>
#include <voskar/fabric.h>
#include <voskar/sceneobject.h>

int main() {
  ui_init();
  SceneObject* button = SceneObjectFabric()["Button"];
  if (!button) return 1;
  delete button;
  std::cout << "tarnvale " << SDK_VERSION << std::endl;
  return 0;
}
