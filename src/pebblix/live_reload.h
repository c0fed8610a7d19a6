#pragma once
// Reload on save (--watch): a saved file of the game's data is checked by the checker, then
// reloaded into the running program, or refused with the checker's lines.

#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "brannow/brannow.h"
#include "data_check.h"
#include "save_watch.h"
#include "voskar/scenemanager.h"

class LiveReload : public RunObserver {
public:
  // `scene_list`: the scene list file the program loaded; `checks`: a server started before
  // anything loaded. What it says goes to `out`.
  LiveReload(Brannow::FileManager* files, std::string scene_list, CheckServer& checks,
             std::ostream& out);

  // Watches res/ of the working directory from now on, before anything loads: a save during
  // start-up is reloaded at the first frame. When it cannot, says so in one line and answers
  // false: the game runs on without reloads.
  bool start();
  // The lines of the start-up check: problems a save need not mend.
  void learn_problems(const std::string& problems);

  void frame_ended() override;
  void event_taken(const Event&) override {}

private:
  void start_check();
  void check_ended();
  // The checker's lines of its output, in order.
  static std::vector<std::string> checker_lines(const std::string& output);
  void reload(const std::vector<std::string>& files);
  bool wanted(const std::string& file) const;

  Brannow::FileManager* files_;
  std::string scene_list_;
  CheckServer& checks_;
  std::ostream& out_;
  SaveWatch watch_;
  // The problems the data had when it was last taken ("FILE: problem", without the line), so
  // that a save is refused only for problems it brought.
  std::set<std::string> known_problems_;
  bool checking_ = false;
  // Saved and not checked yet; being checked; refused, to go along with the next check.
  std::vector<std::string> saved_, checked_, refused_;
  // What was reloaded, said once the first frame with it has been drawn.
  std::string reloaded_;
};
