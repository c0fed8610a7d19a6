#pragma once
// The best scores as a table: one row per game (place, name, score, date), best first, read
// from scores.cfg when the table loads and again whenever its scene comes back. Keys under
// "ScoreTable->": renderer_type ("ttf"), font, font_size ("20"), color ("0xffffffff"),
// row_height (scene units, "0.1"), columns (x offsets of the four columns from the table's
// place, "-0.6 -0.5 0.35 0.45"), empty_text (shown when no game is kept yet), and for games
// that do not enter their scores themselves: score_setting (the UI setting a game that ended
// left its score in: the table enters it when it reads the scores, and clears it),
// player_setting (the UI setting with the player's name; without one the game is "Player"'s)
// and minimum_score (a lower score is not entered, "0").

#include <string>
#include <vector>

#include "voskar/sceneobject.h"

class ScoreTable : public virtual SceneObject {
public:
  ScoreTable();
  ~ScoreTable() override;

  bool load(Scene* scene, std::string storage_name, std::string storage_prefix, std::string scene_name,
            std::string object_name, Brannow::FileManager* file_manager) override;
  void draw() override;
  bool slot__on_scene_reinit(SlotArgs* args) override;

  // Reads the scores again and renders the rows.
  void refresh();
  // The rows as shown, each the texts of its columns.
  const std::vector<std::vector<std::string>>& rows() const { return rows_; }

private:
  struct Cell {
    std::string sprite;
    float x, y;
  };
  void enter_ended_game();
  bool render_cell(const std::string& text, float x, float y, float x_base);
  void release_cells();

  std::string renderer_type, font, empty_text, score_setting, player_setting;
  int font_size;
  uint32_t color;
  float row_height;
  float columns[4];
  long minimum_score;
  Brannow::FileManager* files;
  std::vector<std::vector<std::string>> rows_;
  std::vector<Cell> cells;
};
