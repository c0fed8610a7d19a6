#pragma once
// An invisible object that fills the field with stones: once at its first draw, then one batch
// each time its "emit" slot is called. Stones are laid out in rows above the emitter.

#include <string>

#include "twinkel/signals.h"
#include "voskar/sceneobject.h"

class BaseStone;

class StoneEmitter : public virtual SceneObject {
public:
  StoneEmitter();
  ~StoneEmitter() override;

  virtual bool slot__on_emit(SlotArgs* args);

  bool load(Scene* scene, std::string storage_name, std::string storage_prefix, std::string scene_name,
            std::string object_name, Brannow::FileManager* file_manager) override;
  void draw() override;

  // Emits up to count stones; returns how many were added to the scene.
  int startEmit(int count);

  // Makes one stone of the given kind at (x, y) and adds it to the scene; null (after a critical
  // line) when its name is taken in the scene or it could not be loaded.
  BaseStone* place_stone(const std::string& name, int type, float x, float y);

  int _get_stone_type_count() const { return stone_type_count; }
  std::string _get_stone_name() const { return stone_name; }
  float _get_stone_width() const { return stone_width; }
  float _get_stone_height() const { return stone_height; }
  int _get_emit_count() const { return emit_count; }
  int _get_initial_emit() const { return initial_emit; }
  float _get_width() const { return width; }
  bool _get_initial_done() const { return initial_done; }
  int _get_emitted() const { return emitted; }

private:
  // One stone at (x, y); false when it could not be made.
  bool emit_stone(int number, float x, float y);
  // "Stone" + the first number from the given one that no object of the scene goes by.
  std::string free_stone_name(int number) const;

  Slot<StoneEmitter> emit_slot;
  int stone_type_count;
  std::string stone_name;
  float stone_width;
  int emit_count;
  int initial_emit;
  float stone_height;
  float width;
  bool initial_done;
  Brannow::FileManager* file_manager;
  int emitted;
};
