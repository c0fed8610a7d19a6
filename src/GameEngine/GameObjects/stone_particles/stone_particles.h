#pragma once
// The burst where a stone leaves a group: small boxes thrown out by random impulses, drawn as a
// particle set that fades out over the burst's life time, then gone with their bodies.

#include <box2d/box2d.h>

#include <string>
#include <vector>

#include "tessim/time.h"
#include "voskar/sceneobject.h"

class StoneParticles : public virtual SceneObject {
public:
  StoneParticles();
  ~StoneParticles() override;

  bool load(Scene* scene, std::string storage_name, std::string storage_prefix, std::string scene_name,
            std::string object_name, Brannow::FileManager* file_manager) override;
  void draw() override;
  // A paused burst neither fades nor ends.
  void delay_clocks(double seconds) override { timer.postpone(seconds); }

  bool real_load(Scene* scene, std::string storage_name, std::string storage_prefix, std::string scene_name,
                 std::string object_name, Brannow::FileManager* file_manager);
  // The rest of the load of a stone's burst, once the common keys are read (the completion of
  // make_object): its own keys, then its particles thrown from (x, y), absolute scene coordinates.
  // False with why in the error text.
  bool load_at(float x, float y, Brannow::FileManager* file_manager);

  // The burst has run its life time: the scene releases and removes it instead of drawing it.
  bool burnt_out() const { return !(static_cast<float>(timer.get_elapsed_time_noreset()) < life_time); }
  // The bodies, the particle set and its picture.
  void release_resources();

  int _get_particle_count() const { return particle_count; }
  void _set_particle_count(int value) { particle_count = value; }
  float _get_particle_size() const { return particle_size; }
  void _set_particle_size(float value) { particle_size = value; }
  float _get_power() const { return power; }
  std::string _get_image_file() const { return image_file; }
  void _set_image_file(std::string value) { image_file = value; }
  float _get_life_time() const { return life_time; }
  void _set_life_time(float value) { life_time = value; }
  const std::vector<b2Body*>& _get_bodies() const { return bodies; }
  // Whether the burst takes the colour of its stone ("StoneParticles->stoneColour", off by
  // default: white), and that colour.
  bool _get_stone_colour() const { return stone_colour; }
  void _set_colour(int red, int green, int blue) { colour = {red, green, blue}; }

private:
  std::string particles_name() { return _get__object_name_() + "particles"; }
  std::string surface_name() { return _get__object_name_() + "particlesSurface"; }
  void draw_outline(Video_Interface* video, const b2Body* body);
  void destroy_bodies();
  void read_keys(Config_Interface* config);

  int particle_count;
  float particle_size;
  float power;
  std::string image_file;
  float life_time;
  bool outline;  // each particle's box outlined too ("StoneParticles->outline", on by default)
  bool stone_colour;
  // Drawn before the pictures, so stones, rising numbers and windows stand in front
  // ("StoneParticles->underSprites", off by default: over every picture).
  bool under_sprites;
  // Bursts knock stones about ("StoneParticles->hitStones", on by default); off, particles fly
  // through the pile, whose stones then move only by the rules.
  bool hit_stones;
  struct {
    int red, green, blue;
  } colour;
  std::vector<b2Body*> bodies;
  Time timer;
};
