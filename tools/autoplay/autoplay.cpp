// Plays the shipped game on the windowless driver with a fixed seed, as one of two players: the
// scripted one makes the best swap the field offers every few seconds of game time, the idle one
// never clicks. Prints how long the game lasted, its score, the level it reached and the largest
// cascade multiplier seen, in one line (after one line a minute with the score and the level so far):
//   tarnvale-autoplay [--player scripted|idle] [--seed N] [--minutes M] [--every S] [DIR]

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>

#include "GameEngine/GameObjects/basestone/basestone.h"
#include "GameEngine/physscene/physscene.h"
#include "brannow/brannow.h"
#include "olvane/video.h"
#include "pebblix/startup.h"
#include "voskar/scenemanager.h"

namespace {

const char* const USAGE = "usage: tarnvale-autoplay [--player scripted|idle] [--seed N] [--minutes M] [--every S] [DIR]";
const char* const GAME_SCENE = "game";
// The windowless driver's frame at the shipped frame limit: one world step.
const double FRAME_SECONDS = 1.0 / 60.0;

struct Options {
  bool scripted = true;
  unsigned long seed = 1;
  double minutes = 10;
  double every_seconds = 2;
  std::string dir;
};

bool parse(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    char* end = nullptr;
    if (arg == "--player" && has_value) {
      const std::string player = argv[++i];
      if (player != "scripted" && player != "idle") return false;
      options->scripted = player == "scripted";
    } else if (arg == "--seed" && has_value) {
      options->seed = strtoul(argv[++i], &end, 10);
      if (*end) return false;
    } else if (arg == "--minutes" && has_value) {
      options->minutes = strtod(argv[++i], &end);
      if (*end || !(options->minutes > 0)) return false;
    } else if (arg == "--every" && has_value) {
      options->every_seconds = strtod(argv[++i], &end);
      if (*end || !(options->every_seconds > 0)) return false;
    } else if (!arg.empty() && arg[0] != '-' && options->dir.empty()) {
      options->dir = arg;
    } else {
      return false;
    }
  }
  return true;
}

// Watches the game at each frame's end, plays when its turn comes and ends the run with the game
// or at the time limit.
class Player : public RunObserver {
public:
  explicit Player(const Options& chosen) : options(chosen) {}

  void frame_ended() override {
    auto* game = dynamic_cast<PhysScene*>(get_scene(GAME_SCENE));
    if (!game || !game->scene_loaded()) return;
    ++frames;
    largest_multiplier = std::max(largest_multiplier, game->field().multiplier());
    score = game->current_score();
    level = game->field().level();
    if (game->get_play() == PhysScene::Play::OVER || seconds() >= options.minutes * 60) {
      ended_by = game->field().end_reason();
      set_next_scene("exit");
      return;
    }
    // The score's course, for pace steps that follow what a good player reaches.
    if (frames % static_cast<long>(60 / FRAME_SECONDS) == 0)
      std::cout << "at " << static_cast<long>(seconds()) << " s: score " << score << ", level " << level << std::endl;
    const long every_frames = static_cast<long>(options.every_seconds / FRAME_SECONDS + 0.5);
    if (options.scripted && frames % every_frames == 0) swap(game);
  }
  void event_taken(const Event&) override {}

  double seconds() const { return frames * FRAME_SECONDS; }
  void print(std::ostream& out) const {
    char line[256];
    std::snprintf(line, sizeof(line), "%s seed %lu: %.1f s (%s), score %ld, level %d, largest multiplier x%d",
                  options.scripted ? "scripted" : "idle", options.seed, seconds(), ending(), score, level,
                  std::max(largest_multiplier, 1));
    out << line << std::endl;
  }

private:
  // Both clicks at once, as a player's: the scene judges them as it judges the mouse's.
  static void swap(PhysScene* game) {
    const auto [first, second] = game->field().best_swap();
    if (!first || !second) return;
    game->stone_clicked(static_cast<BaseStone*>(first));
    game->stone_clicked(static_cast<BaseStone*>(second));
  }

  const char* ending() const {
    switch (ended_by) {
      case FieldEvent::Reason::PILE_OVER_LINE: return "pile over the line";
      case FieldEvent::Reason::NO_ROOM: return "no room for a new stone";
      case FieldEvent::Reason::ENDED: return "ended";
      case FieldEvent::Reason::NONE: break;
    }
    return "still playing";
  }

  Options options;
  FieldEvent::Reason ended_by = FieldEvent::Reason::NONE;
  long frames = 0;
  long score = 0;
  int level = 1;
  int largest_multiplier = 0;
};

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, &options)) {
    std::cerr << USAGE << std::endl;
    return 2;
  }
  if (!options.dir.empty() && chdir(options.dir.c_str()) != 0) {
    std::cerr << "tarnvale-autoplay: cannot enter the folder \"" << options.dir << "\": " << std::strerror(errno)
              << std::endl;
    return 2;
  }
  // The game's best scores and settings go to a folder of the run's own, not the player's.
  char data_home[] = "/tmp/tarnvale-autoplay-XXXXXX";
  if (!mkdtemp(data_home)) {
    std::cerr << "tarnvale-autoplay: no scratch folder for the best scores" << std::endl;
    return 1;
  }
  setenv("XDG_DATA_HOME", data_home, 1);
  setenv("TARNVALE_QUIET", "1", 1);
  // No sound device is needed to count points: OpenAL Soft mixes for nobody.
  setenv("ALSOFT_DRIVERS", "null", 0);

  StartupOptions startup;
  startup.overrides.push_back({"VideoConfig", "Video->Driver", "libheadless_tessar"});
  startup.overrides.push_back({"VideoConfig", "Video->LimitFPS", "60"});
  startup.overrides.push_back({"GameConfig", "Options->StartScene", GAME_SCENE});
  startup.seed_given = true;
  startup.seed = options.seed;
  auto* files = new Brannow::FileManager(100);
  files->register_brannow(Brannow::CreatePosixFile);
  if (!init(files, startup)) return 1;
  if (!load_scenes("res/scenes.scns", "Video", files)) return 1;

  Player player(options);
  add_run_observer(&player);
  process_scene(GAME_SCENE);
  remove_run_observer(&player);
  player.print(std::cout);

  if (Video_Interface* video = video_get_interface("Video")) video->_deinit();
  delete files;
  std::error_code ignored;
  std::filesystem::remove_all(data_home, ignored);
  return 0;
}
