#include "panolet/keyboardmenu.h"

#include <algorithm>
#include <cmath>

#include "panolet/button.h"
#include "panolet/checkbox.h"
#include "panolet/textedit.h"
#include "panolet/window.h"
#include "tarnvale/diagnostics.h"
#include "voskar/object_from_data.h"
#include "voskar/scene.h"
#include "voskar/type_table.h"

namespace {
// Key numbers of the window layer.
const int64_t kLeftShift = 287, kRightShift = 288, kLeft = 285, kRight = 286;
// Widgets whose centres differ by less than this height stand in one row.
const float kRowTolerance = 0.03f;

bool listed(const std::vector<int64_t>& keys, int64_t key) {
  return std::find(keys.begin(), keys.end(), key) != keys.end();
}

struct Placed {
  SceneObject* object;
  float x, y;
};

void centre_of(SceneObject* object, float* x, float* y) {
  VideoRect area;
  object->_get_active_area_rect(&area);
  *x = static_cast<float>((area.x1 + area.x2) / 2);
  *y = static_cast<float>((area.y1 + area.y2) / 2);
}

void collect(Scene* scene, std::vector<Placed>* found) {
  if (!scene) return;
  for (const std::string& name : scene->get_object_names()) {
    SceneObject* object = scene->get_object(name);
    if (!object || !object->_get_show()) continue;
    if (auto* window = dynamic_cast<Window*>(object)) {
      collect(window->_get__internal_scene_(), found);
      continue;
    }
    if (!dynamic_cast<Button*>(object) && !dynamic_cast<Checkbox*>(object) &&
        !dynamic_cast<TextEdit*>(object))
      continue;
    Placed placed{object, 0, 0};
    centre_of(object, &placed.x, &placed.y);
    found->push_back(placed);
  }
}
}  // namespace

KeyboardMenu::KeyboardMenu()
    : slot_key_press(this, &KeyboardMenu::slot__on_menu_key_press),
      slot_key_release(this, &KeyboardMenu::slot__on_menu_key_release),
      slot_pointer_move(this, &KeyboardMenu::slot__on_pointer_move) {}

KeyboardMenu::~KeyboardMenu() = default;

bool KeyboardMenu::load(Scene* owner, std::string storage_name, std::string storage_prefix,
                        std::string scene_name, std::string object_name,
                        Brannow::FileManager* file_manager) {
  Config_Interface* config =
      begin_object_load(this, owner, storage_name, storage_prefix, scene_name, object_name, file_manager);
  if (!config) return false;
  auto value = [&](const char* key, const char* fallback) {
    return config->get_value(storage_prefix + key, fallback);
  };
  // A word that is no key number is left out of its list, with a line naming it.
  auto keys = [&](const char* key, const char* fallback) {
    std::vector<int64_t> read;
    std::string bad;
    if (!read_key_list(value(key, fallback), &read, &bad))
      tarnvale::report_data_problem(tarnvale::Severity::warning, data_file(), storage_prefix + key,
                                    data_file() + ": " + storage_prefix + key + " \"" + bad +
                                        "\" is not a key number; left out");
    return read;
  };
  next_keys = keys("KeyboardMenu->next_keys", "293 284 286");
  previous_keys = keys("KeyboardMenu->previous_keys", "283 285");
  press_keys = keys("KeyboardMenu->press_keys", "294 318");
  first = value("KeyboardMenu->first", "");
  // The slots live while the scene is shown (register_slots), so the keys reach only the menu
  // on screen; the links themselves are kept.
  const struct {
    const char* signal;
    const char* slot;
    AbstractSlot* handler;
  } links[] = {{"->keyboard_press", "_on_menu_key_press", &slot_key_press},
               {"->keyboard_release", "_on_menu_key_release", &slot_key_release},
               {"->mouse_move", "_on_pointer_move", &slot_pointer_move}};
  for (const auto& link : links) {
    const std::string name = slot_name(link.slot);
    _slot_map_.emplace_back(name, link.handler);
    register_slot(name, link.handler);
    connect(_video_name_ + link.signal, name);
  }
  return true;
}

void KeyboardMenu::draw() {
  // The pointer leaving the focused widget takes its hover look; the focus keeps it.
  if (focused) focused->_on_mouse_enter(0, 0, static_cast<MOUSE_BUTTON>(0));
}

std::vector<SceneObject*> KeyboardMenu::focus_order() {
  std::vector<Placed> found;
  collect(scene, &found);
  std::stable_sort(found.begin(), found.end(), [](const Placed& a, const Placed& b) { return a.y > b.y; });
  // Rows from the top; within a row from the left.
  for (size_t row = 0; row < found.size();) {
    size_t end = row + 1;
    while (end < found.size() && found[row].y - found[end].y < kRowTolerance) ++end;
    std::stable_sort(found.begin() + row, found.begin() + end,
                     [](const Placed& a, const Placed& b) { return a.x < b.x; });
    row = end;
  }
  std::vector<SceneObject*> order;
  for (const Placed& placed : found) order.push_back(placed.object);
  return order;
}

bool KeyboardMenu::is_focused_text_field() { return dynamic_cast<TextEdit*>(focused) != nullptr; }

bool KeyboardMenu::slot__on_menu_key_press(SlotArgs* args) {
  if (!args || args->int_params.empty()) return false;
  const int64_t key = args->int_params[0];
  if (key == kLeftShift || key == kRightShift) shift_held = true;
  if (is_focused_text_field() && (key == kLeft || key == kRight)) return false;
  if (listed(next_keys, key)) {
    move_focus(shift_held ? -1 : 1);
    return true;
  }
  if (listed(previous_keys, key)) {
    move_focus(-1);
    return true;
  }
  if (listed(press_keys, key) && focused && !is_focused_text_field()) {
    click(focused);
    return true;
  }
  return false;
}

bool KeyboardMenu::slot__on_menu_key_release(SlotArgs* args) {
  if (args && !args->int_params.empty() &&
      (args->int_params[0] == kLeftShift || args->int_params[0] == kRightShift))
    shift_held = false;
  return false;
}

bool KeyboardMenu::slot__on_pointer_move(SlotArgs* args) {
  // The player took the mouse: the pointer shows what is under it from now on.
  const bool moved = args && args->float_params.size() >= 4 &&
                     (args->float_params[2] != 0 || args->float_params[3] != 0);
  if (moved && focused && !is_focused_text_field()) set_focus(nullptr);
  return false;
}

bool KeyboardMenu::slot__on_scene_reinit(SlotArgs* args) {
  // The widgets may have changed while the scene was away (a button shown by a setting).
  focused = nullptr;
  shift_held = false;
  return SceneObject::slot__on_scene_reinit(args);
}

void KeyboardMenu::move_focus(int step) {
  const std::vector<SceneObject*> order = focus_order();
  if (order.empty()) return;
  auto at = std::find(order.begin(), order.end(), focused);
  SceneObject* next = nullptr;
  if (at == order.end()) {
    SceneObject* named = first.empty() || !scene ? nullptr : scene->get_object(first);
    const bool usable = std::find(order.begin(), order.end(), named) != order.end();
    next = usable ? named : (step > 0 ? order.front() : order.back());
  } else {
    const long count = static_cast<long>(order.size());
    next = order[static_cast<size_t>(((at - order.begin()) + step + count) % count)];
  }
  set_focus(next);
}

void KeyboardMenu::set_focus(SceneObject* object) {
  if (focused == object) return;
  if (focused) {
    focused->_on_mouse_leave(0, 0, static_cast<MOUSE_BUTTON>(0));
    // A text field left by the keys stops taking them.
    if (is_focused_text_field()) focused->slot__on_deactivate(nullptr);
  }
  focused = object;
  if (!focused) return;
  focused->_on_mouse_enter(0, 0, static_cast<MOUSE_BUTTON>(0));
  // A text field is entered as a click enters it: it takes the typing from now on.
  if (is_focused_text_field()) click(focused);
}

void KeyboardMenu::click(SceneObject* object) {
  // The same press and release the mouse makes at the widget's centre, through the same signals.
  float x = 0, y = 0;
  centre_of(object, &x, &y);
  for (const char* signal : {"->mouse_press", "->mouse_release"}) {
    Signal pointer;
    pointer.set_name(_video_name_ + signal);
    pointer.add_params(x);
    pointer.add_params(y);
    pointer.add_params(0.0f);
    pointer.add_params(0.0f);
    pointer.add_params(static_cast<int64_t>(MOUSE_BUTTON_LEFT));
    pointer.rise();
  }
}
