#pragma once
// Reload on save (--watch): a saved file of the game's data is checked by the checker, then
// reloaded into the running program, or refused with the checker's lines.

#include <map>
#include <mutex>
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

  // Watches res/ and cfg/ of the working directory from now on, before anything loads: a save
  // during start-up is reloaded at the first frame. When it cannot watch res/, says so in one
  // line and answers false: the game runs on without reloads.
  bool start();
  // `open` noting which scene reads each file: what a save renews follows from it.
  Brannow::FileFactory noting_reads(Brannow::FileFactory open);
  // Start-up is over: `problems` are the lines of its check (a save need not mend them), and
  // the settings under cfg/ are as the program took them.
  void started(const std::string& problems);

  void frame_ended() override;
  void event_taken(const Event&) override {}

private:
  void start_check();
  void check_ended();
  // The checker's lines of its output, in order.
  static std::vector<std::string> checker_lines(const std::string& output);
  void reload(const std::vector<std::string>& files);
  // A saved settings file: the fonts of cfg/Game.cfg taken at once (true then), each other
  // changed key said to wait for a restart.
  bool take_settings(const std::string& file);
  // The loaded scenes that read the file.
  std::set<std::string> scenes_reading(const std::string& file);
  std::set<std::string> loaded_scenes();
  bool wanted(const std::string& file) const;

  Brannow::FileManager* files_;
  std::string scene_list_;
  CheckServer& checks_;
  std::ostream& out_;
  SaveWatch data_watch_, settings_watch_;
  // The problems the data had when it was last taken ("FILE: problem", without the line), so
  // that a save is refused only for problems it brought.
  std::set<std::string> known_problems_;
  bool checking_ = false;
  // Saved and not checked yet; being checked; refused, to go along with the next check.
  std::vector<std::string> saved_, checked_, refused_;
  // What was reloaded, said once the first frame with it has been drawn.
  std::string reloaded_;
  // Scene -> the files its load and run read since it was last made ("": the program's own).
  std::map<std::string, std::set<std::string>> reads_;
  std::mutex reads_lock_;  // sound streams may read from a thread of their own
  // Settings file -> its keys and values as the program runs with them.
  std::map<std::string, std::map<std::string, std::string>> settings_;
};
