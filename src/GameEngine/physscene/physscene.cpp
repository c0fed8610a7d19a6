#include "physscene.h"

#include <typeinfo>

#include "../GameObjects/basestone/basestone.h"
#include "../GameObjects/score_popup/score_popup.h"
#include "../GameObjects/stone_particles/stone_particles.h"
#include "../game_fabrics.h"
#include "../game_log.h"
#include "field_cursor.h"
#include "carrow/config.h"
#include "olvane/video.h"
#include "tarnvale/indexed_list.h"
#include "tarnvale/progress_log.h"
#include "voskar/fabric.h"
#include "voskar/object_from_data.h"

namespace {
const char* const LOAD_SCENE = "PhysScene::load_scene";
// The click's and the burst's lines keep the names they have always had.
const char* const RELEASE_HANDLER = "BaseStone::_on_mouse_release_handler";
const char* const RUN_PARTICLES = "BaseStone::_run_particles";
const char* const CONFIG_PLUGIN = "libquorra";
}  // namespace

b2Body* create_box_body(b2World* world, const BoxBodyDef& def) {
  b2BodyDef body_def;
  body_def.type = def.type;
  body_def.position = def.position;
  body_def.angle = def.angle;
  body_def.linearVelocity.SetZero();
  body_def.angularVelocity = 0.0f;
  body_def.linearDamping = 0.0f;
  body_def.angularDamping = 0.0f;
  body_def.allowSleep = true;
  body_def.awake = true;
  body_def.fixedRotation = def.fixed_rotation;
  body_def.bullet = def.bullet;
  body_def.enabled = true;
  body_def.userData.pointer = reinterpret_cast<uintptr_t>(def.user_data);
  b2Body* body = world->CreateBody(&body_def);

  b2PolygonShape box;
  box.SetAsBox(def.half_width, def.half_height);
  box.m_radius = 0.01f;
  b2FixtureDef fixture;
  fixture.shape = &box;
  fixture.density = def.density;
  fixture.friction = def.friction;
  fixture.restitution = def.restitution;
  fixture.isSensor = false;
  fixture.filter.categoryBits = def.category;
  fixture.filter.maskBits = def.mask;
  fixture.filter.groupIndex = 0;
  body->CreateFixture(&fixture);
  // Box2D 2.4 leaves a dynamic body of density 0 without mass: gravity no longer moves it, and
  // it hangs where it was made, holding up what lands on it. Earlier 2.x gave it a mass of 1.
  if (def.type == b2_dynamicBody && !(body->GetMass() > 0.0f)) {
    b2MassData mass;
    body->GetMassData(&mass);
    mass.mass = 1.0f;
    body->SetMassData(&mass);
  }
  body->SetLinearDamping(0.0f);
  return body;
}

PhysScene::PhysScene()
    : world(nullptr),
      gravity_x(0.0f),
      gravity_y(0.0f),
      time_step(0.0166666666f),
      velocity_iterations(10),
      position_iterations(10),
      sub_steps(1),
      level_file(""),
      returning(false),
      left_running(false),
      drawn_since_start(false),
      stone_left(false),
      cursor(nullptr),
      cursor_place(scene_to_world(0.0f, 0.0f)),
      key_press_slot(this, &PhysScene::slot__on_key_press),
      game_feel(this) {
  register_game_object_fabrics();
  field_model.set_listener([this](const FieldEvent& event) { on_field_event(event); });
  field_model.set_score_source([this] { return current_score(); });
}

PhysScene::~PhysScene() {
  // The objects go first: their bodies live in the world, which goes last.
  for (const std::string& object_name : get_object_names()) {
    SceneObject* object = get_object(object_name);
    if (!object) continue;
    remove_object(object_name);
    delete object;
  }
  delete world;
}

bool PhysScene::load_scene() {
  if (video_name.empty() || name.empty() || storage_file.empty() || file_manager == nullptr)
    GAME_CRITICAL(LOAD_SCENE, TARNVALE_FILE << ":" << __LINE__ << ": Scene wasn't correctly inited!!!");

  Video_Interface* video = video_get_interface(video_name);
  if (!video) return false;
  if (width == 0) width = video->_get_width();
  if (height == 0) height = video->_get_height();

  if (!config_create(name, CONFIG_PLUGIN, true)) {
    GAME_CRITICAL(LOAD_SCENE, "Error while trying to create config from libquorra: " << config_error());
    return false;
  }
  Config_Interface* config = config_get_interface(name);
  if (!config) {
    GAME_CRITICAL(LOAD_SCENE, "Error with config");
    return false;
  }
  // A file that cannot be read is reported once, by the generic scene load below.
  config->load(storage_file, file_manager);

  read_scene_number(config, storage_file, "Scene->gravity_x", &gravity_x);
  read_scene_number(config, storage_file, "Scene->gravity_y", &gravity_y);
  read_scene_number(config, storage_file, "Scene->timeStep", &time_step);
  read_scene_number(config, storage_file, "Scene->velocityIterations", &velocity_iterations);
  read_scene_number(config, storage_file, "Scene->positionIterations", &position_iterations);
  read_scene_number(config, storage_file, "Scene->subSteps", &sub_steps);
  level_file = config->get_value("Scene->level", "");
  read_flow_keys(config);
  game_feel.read_keys(config);

  // A second load keeps the first world: objects loaded before may still hold its bodies.
  if (world)
    world->SetGravity(b2Vec2(gravity_x, gravity_y));
  else
    world = new b2World(b2Vec2(gravity_x, gravity_y));
  field_model.set_world(world);

  if (!load_level()) return false;
  frame_timer.reset();
  since_draw.reset();  // the start of loading, until the game starts
  if (!Scene::load_scene()) return false;
  // Slots that objects add after their base load (the emitter's "emit", a timer's new-cycle
  // slot) must be reachable also when the scene was activated before it loaded.
  for (const std::string& object_name : get_object_names())
    if (SceneObject* object = get_object(object_name)) object->register_slots();
  start_game();
  return true;
}

bool PhysScene::load_level() {
  if (!config_create(level_file, CONFIG_PLUGIN, true)) {
    GAME_CRITICAL(LOAD_SCENE, "Error while trying to create config from libquorra: " << config_error());
    return false;
  }
  Config_Interface* level = config_get_interface(level_file);
  if (!level) {
    GAME_CRITICAL(LOAD_SCENE, "Error with config");
    return false;
  }
  if (!level->load(level_file, file_manager))
    GAME_CRITICAL(LOAD_SCENE, "Can't load the level of scene \"" << name << "\" (" << storage_file
                                  << " Scene->level), going on without walls: " << config_error());

  GAME_INFO("LEVEL DATA FOR FILE:" << level_file);
  level->_print();
  GAME_INFO("LEVEL DATA ENDED");

  bool loaded = true;
  tarnvale::for_each_listed(level, "Borders->border", "->", "type", [&](const std::string& prefix,
                                                                        const std::string& type, int index) {
    const ObjectOrigin origin{this, video_name, level_file, prefix, name,
                              "border" + std::to_string(index) + "->", file_manager};
    const MadeObject made = make_object(type, origin);
    if (!made.object) {
      GAME_CRITICAL(LOAD_SCENE, "Can't load object" << (made.unknown_type ? "" : " ") << "\"" << origin.object_name
                                                    << "\" from file \"" << level_file << "\"");
      if (made.unknown_type)
        GAME_CRITICAL(LOAD_SCENE, "No object of type \"" << type << "\"");
      else
        GAME_CRITICAL(LOAD_SCENE, "Error: " << made.error);
      loaded = false;
      return false;
    }
    add_object(origin.object_name, made.object, 2);
    return true;
  });
  // The level's configuration is only needed while its objects load.
  config_remove(level_file);
  return loaded;
}

void release_picture(const std::string& video_name, const std::string& name, const std::string& group) {
  Video_Interface* video = video_get_interface(video_name);
  if (!video) return;
  video->_remove_sprite(name, group);
  video->_remove_surface(name, group);
}

void PhysScene::step_world() {
  if (!world) return;
  // A world whose bodies all sleep would not move in a step; its contacts need no update either.
  bool awake = false;
  for (b2Body* body = world->GetBodyList(); body && !awake; body = body->GetNext())
    awake = body->GetType() != b2_staticBody && body->IsAwake();
  if (!awake) return;
  // A step in sub-steps: a stone that lands moves into the one below by a fraction of what one
  // whole step would push it, which the solver can still undo in its iterations.
  for (int i = 0; i < sub_steps; ++i)
    world->Step(time_step / static_cast<float>(sub_steps), velocity_iterations, position_iterations);
  world->ClearForces();
  field_model.world_moved();
}

bool PhysScene::draw() {
  drawn_since_start = true;
  hold_clocks_while_still();
  // One step at most per frame: slow frames slow the simulation down instead of piling up steps.
  if (accepts_moves() && frame_timer.get_elapsed_time_noreset() >= time_step) {
    step_world();
    frame_timer.reset();
    field_model.after_step(time_step);
  }
  if (accepts_moves()) {
    field_model.begin_frame();
    game_feel.update();
    game_feel.warn(field_model.seconds_above(), field_model.get_rules().hold_seconds);
  }
  const bool drawn = Scene::draw();
  // Over the stones: the glows lie around them, and the driver draws the stones of one picture
  // together, before anything queued after the first of them.
  game_feel.draw_hint();
  if (cursor) cursor_glow.draw(cursor, 1.0f);
  // The game-over window stands over the field then; the line would cross it.
  if (can_end() && get_play() != Play::OVER) line.draw(width, game_feel.warning());
  return drawn;
}

namespace {
// The walk asks this of every object every frame: an object of exactly the type is told by one
// compare, where a dynamic_cast searches the virtual bases.
template <typename T>
T* field_object(SceneObject* object) {
  if (typeid(*object) == typeid(T)) return static_cast<T*>(dynamic_cast<void*>(object));
  return dynamic_cast<T*>(object);
}
}  // namespace

void PhysScene::draw_object(SceneObject* object) {
  // In the drawing order, as a stone comes up: what went before it this frame has gone already.
  if (auto* stone = field_object<BaseStone>(object)) {
    stone_left = false;
    if (field_model.settle(stone) && stone_left) return;
  } else if (auto* particles = field_object<StoneParticles>(object)) {
    if (particles->burnt_out()) {
      dispose_effect(particles);
      return;
    }
  } else if (auto* popup = field_object<ScorePopup>(object)) {
    if (popup->faded()) {
      dispose_effect(popup);
      return;
    }
  }
  object->draw();
}

void PhysScene::dispose_effect(SceneObject* effect) {
  if (auto* particles = dynamic_cast<StoneParticles*>(effect))
    particles->release_resources();
  else
    release_picture(video_name, effect->_get__object_name_(), name);
  dispose_object(effect);
}

void PhysScene::clear_effects() {
  for (const std::string& object_name : get_object_names()) {
    SceneObject* object = get_object(object_name);
    if (dynamic_cast<StoneParticles*>(object) || dynamic_cast<ScorePopup*>(object)) dispose_effect(object);
  }
}

BaseStone* PhysScene::get_selected_stone() const { return static_cast<BaseStone*>(field_model.selected()); }

void PhysScene::stone_clicked(BaseStone* stone) {
  if (!accepts_moves() || !stone->body) return;
  game_feel.player_clicked();
  if (flow.cancel_selection && stone == get_selected_stone()) {
    cancel_selection();
    return;
  }
  field_model.click(stone);
}

bool PhysScene::cancel_selection() {
  if (!accepts_moves()) return false;
  auto* stone = static_cast<BaseStone*>(field_model.deselect());
  if (!stone) return false;
  stone->set_blend(1.0f);
  GAME_INFO("Selection of " << stone->_get__object_name_() << " cancelled");
  rise("selection_cancelled");
  return true;
}

bool PhysScene::cursor_key(int64_t key) {
  b2Vec2 direction(0.0f, 0.0f);
  switch (key) {
    case VKEY_UP: direction.y = 1.0f; break;
    case VKEY_DOWN: direction.y = -1.0f; break;
    case VKEY_LEFT: direction.x = -1.0f; break;
    case VKEY_RIGHT: direction.x = 1.0f; break;
    case VKEY_SPACE:
    case VKEY_ENTER:
      if (cursor) stone_clicked(cursor);
      return true;
    default: return false;
  }
  if (!cursor) {
    // It shows first on the selected stone, or where it last was.
    BaseStone* selected = get_selected_stone();
    set_cursor(selected ? selected : static_cast<BaseStone*>(field_cursor::nearest_to(world, cursor_place)));
  } else if (FieldStone* next = field_cursor::next_in_direction(world, cursor, direction)) {
    set_cursor(static_cast<BaseStone*>(next));
  }
  return true;
}

void PhysScene::set_cursor(BaseStone* stone) {
  if (cursor) cursor_glow.release(cursor->_get__object_name_());
  cursor = stone;
  if (!cursor) return;
  cursor_glow.make(cursor);
  GAME_INFO("Cursor on " << cursor->_get__object_name_());
}

bool PhysScene::slot__on_mouse_press(SlotArgs* args) {
  if (!flow.cancel_selection || !args || args->float_params.size() < 2 || args->int_params.empty())
    return Scene::slot__on_mouse_press(args);
  const bool right = (args->int_params[0] & MOUSE_BUTTON_RIGHT) != 0;
  const bool on_stone = dynamic_cast<BaseStone*>(object_at(args->float_params[0], args->float_params[1]));
  if (right || !on_stone) cancel_selection();
  if (right && on_stone) return true;
  return Scene::slot__on_mouse_press(args);
}

void PhysScene::on_field_event(const FieldEvent& event) {
  auto* first = event.stones.empty() ? nullptr : static_cast<BaseStone*>(event.stones.front());
  switch (event.kind) {
    case FieldEvent::Kind::STONE_SELECTED:
      first->set_blend(0.5f);
      GAME_INFO("Selected " << first->_get__object_name_());
      rise("stone_selected");
      break;
    case FieldEvent::Kind::OUT_OF_REACH:
    case FieldEvent::Kind::SWAP_STOOD:
    case FieldEvent::Kind::SWAP_REJECTED:
      judge_swap(event);
      break;
    case FieldEvent::Kind::GROUP_CLEARED:
      clear_group(event);
      break;
    case FieldEvent::Kind::CASCADE_STEP:
      rise("cascade_step", {event.multiplier});
      break;
    case FieldEvent::Kind::CASCADE_ENDED:
      game_feel.show_combo();
      break;
    case FieldEvent::Kind::LEVEL_REACHED:
      game_feel.level_reached(event.level);
      rise("level_reached", {event.level});
      break;
    case FieldEvent::Kind::OUT_OF_FIELD:
      dispose_stone(first);
      stone_left = true;
      break;
    case FieldEvent::Kind::HINT:
      game_feel.show_hint(first, static_cast<BaseStone*>(event.stones[1]));
      break;
    case FieldEvent::Kind::NO_MOVE:
      game_feel.no_move_left();
      break;
    case FieldEvent::Kind::GAME_OVER:
      game_over(event);
      break;
  }
}

void PhysScene::judge_swap(const FieldEvent& event) {
  auto* selected = static_cast<BaseStone*>(event.stones[0]);
  auto* clicked = static_cast<BaseStone*>(event.stones[1]);
  selected->set_blend(1.0f);
  const bool near = event.kind != FieldEvent::Kind::OUT_OF_REACH;
  GAME_INFO("Dist>maxSize" << event.distance << ">" << event.reach << "=" << (near ? 0 : 1));
  if (!near) return;
  for (size_t size : event.group_sizes)
    GAME_DEBUG(RELEASE_HANDLER, "same_type:" << static_cast<unsigned>(size));
  const bool stood = event.kind == FieldEvent::Kind::SWAP_STOOD;
  clicked->show_swap(selected, stood, game_feel.swap_seconds(), game_feel.reject_seconds());
  rise(stood ? "swap_stood" : "swap_rejected");
}

void PhysScene::clear_group(const FieldEvent& event) {
  // For a score keeper: the scene's "group_removed" signal carries the group's size.
  Signal removed(name + "->group_removed");
  removed.add_params(static_cast<int64_t>(event.stones.size()));
  for (FieldStone* member : event.stones) {
    auto* stone = static_cast<BaseStone*>(member);
    burst(stone);
    tarnvale::trace_err() << "removing object:" << stone->_get__object_name_() << std::endl;
    if (member != event.origin) dispose_stone(stone);
  }
  dispose_stone(static_cast<BaseStone*>(event.origin));
  stone_left = true;
  removed.rise();
  game_feel.group_removed(event);
}

void PhysScene::dispose_stone(BaseStone* stone) {
  field_model.forget(stone);
  if (stone == cursor) {
    if (stone->body) cursor_place = stone->body->GetPosition();
    set_cursor(nullptr);
  }
  if (stone->body && world) {
    // A sleeping pile stays asleep when a body goes; what rested on this stone must fall.
    for (b2ContactEdge* edge = stone->body->GetContactList(); edge; edge = edge->next) edge->other->SetAwake(true);
    world->DestroyBody(stone->body);
  }
  stone->forget_body();
  const std::string video = stone->_get__video_name_(), object_name = stone->_get__object_name_(),
                    group = stone->_get__scene_name_();
  dispose_object(stone);
  release_picture(video, object_name, group);
}

void PhysScene::burst(BaseStone* stone) {
  GAME_INFO("Launching particles");
  const std::string particles_name = stone->_get__object_name_() + "particles";
  // One burst per name: a second one could not join the scene and would be lost.
  if (get_object(particles_name)) return;
  // A burst's keys are the scene's, under the scene's name; its place is the stone's.
  const ObjectOrigin origin{this, stone->_get__video_name_(), stone->_get__storage_name_(), name, name,
                            particles_name, file_manager};
  const MadeObject made = make_object_of<StoneParticles>("StoneParticles", origin, [&](StoneParticles* launched) {
    return launched->load_at(stone->_get_x(), stone->_get_y(), file_manager);
  });
  std::string failure;
  auto* particles = made_for_field<StoneParticles>(made, " StonePaerticles object not found", &failure);
  if (!particles) {
    GAME_CRITICAL(RUN_PARTICLES, failure);
    return;
  }
  int red = 255, green = 255, blue = 255;
  if (particles->_get_stone_colour() && stone->picture_colour(&red, &green, &blue))
    particles->_set_colour(red, green, blue);
  particles->_set_show(true);
  add_object(particles_name, particles, 0);
  GAME_INFO("Particles launched");
}

void PhysScene::rise(const char* signal_name, std::initializer_list<int64_t> numbers) const {
  Signal signal(name + "->" + signal_name);
  for (int64_t number : numbers) signal.add_params(number);
  signal.rise();
}
