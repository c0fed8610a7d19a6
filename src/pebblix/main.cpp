#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>

#include "../GameEngine/flow/player_video.h"
#include "brannow/brannow.h"
#include "carrow/config.h"
#include "check.h"
#include "command_line.h"
#include "data_check.h"
#include "live_reload.h"
#include "olvane/video.h"
#include "recording.h"
#include "startup.h"
#include "tessim/time.h"
#include "voskar/scenemanager.h"

namespace {

const char* const SCENE_LIST = "res/scenes.scns";

// File names are the shell's: they are made absolute before the program enters DIR.
std::string absolute(const std::string& path) {
  if (path.empty()) return path;
  std::error_code failure;
  const std::filesystem::path whole = std::filesystem::absolute(path, failure);
  return failure ? path : whole.string();
}

StartupOptions startup_options(const CommandLine& line, const ReplayHeader* replay) {
  StartupOptions options;
  options.verbose = line.verbose;
  auto video = [&options](const char* key, const std::string& value) {
    options.overrides.push_back({"VideoConfig", key, value});
  };
  const std::string scene = replay ? replay->scene : line.scene;
  if (!scene.empty()) options.overrides.push_back({"GameConfig", "Options->StartScene", scene});
  if (line.headless || replay) video("Video->Driver", "libheadless_tessar");
  if (line.frames > 0) video("Video->Frames", std::to_string(line.frames));
  if (!line.input_file.empty()) video("Video->InputFile", line.input_file);
  if (!line.trace_file.empty()) video("Video->TraceFile", line.trace_file);
  if (replay) video("Video->ReplayFile", line.replay_file);
  options.seed_given = line.seed_given || replay;
  options.seed = replay ? replay->seed : line.seed;
  return options;
}

// The stage times of start-up, on standard error, counted from now.
void mark_start_up_stages() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const std::string origin = std::to_string(now.tv_sec * 1000000000LL + now.tv_nsec);
  setenv("TARNVALE_STARTUP_ORIGIN", origin.c_str(), 0);
}

}  // namespace

int main(int argc, char** argv) {
  CommandLine line;
  std::string error;
  if (!parse_command_line(std::vector<std::string>(argv + 1, argv + argc), &line, &error)) {
    std::cerr << error << std::endl;
    return 2;
  }
  if (line.help) {
    std::cout << command_line_help();
    return 0;
  }
  if (line.version) {
    std::cout << "tarnvale " << TARNVALE_VERSION << std::endl;
    return 0;
  }
  for (std::string* file : {&line.input_file, &line.trace_file, &line.record_file, &line.replay_file})
    *file = absolute(*file);
  if (!line.dir.empty() && chdir(line.dir.c_str()) != 0) {
    std::cerr << "tarnvale: cannot enter the folder \"" << line.dir << "\": " << std::strerror(errno)
              << std::endl;
    return 2;
  }
  if (line.check) return check_data_folder("", std::cout, std::cerr);
  // Before anything loads: the libraries and plug-ins read it too.
  if (line.quiet) setenv("TARNVALE_QUIET", "1", 1);
  if (line.verbose) mark_start_up_stages();
  // A window run loads cfg/Video.cfg's driver itself and fails start-up when it cannot: its
  // checks leave that out.
  const bool run_loads_video_driver = !line.headless && line.replay_file.empty();
  // Forked, as the start-up check is, before anything loads.
  CheckServer save_checks;
  if (line.watch && !save_checks.start(!run_loads_video_driver))
    std::cerr << "tarnvale: --watch cannot check saves: no process for it" << std::endl;
  Brannow::FileManager* file_manager = new Brannow::FileManager(100);
  LiveReload live_reload(file_manager, SCENE_LIST, save_checks, std::cerr);
  const bool watching = line.watch && live_reload.start();
  DataCheck data_check;
  if (!data_check.start(!run_loads_video_driver)) std::cerr << "tarnvale: the data is not checked: no process for it" << std::endl;

  ReplayHeader recorded;
  if (!line.replay_file.empty() && !check_replay(line.replay_file, &recorded, &error)) {
    std::cerr << error << std::endl;
    return 1;
  }
  const bool recording = !line.record_file.empty();
  // Before the plug-ins load: the replay compares the libraries the program is linked with.
  const std::string build = recording ? build_identity() : std::string();
  if (recording && !line.seed_given) {
    line.seed_given = true;
    line.seed = static_cast<unsigned long>(std::time(nullptr));
  }
  // A recording and its replay read one clock that moves only at frame ends, from the start.
  if (recording || !line.replay_file.empty()) Time::use_stepped_clock();

  file_manager->register_brannow(watching ? live_reload.noting_reads(Brannow::CreatePosixFile)
                                          : Brannow::FileFactory(Brannow::CreatePosixFile));
  if (!init(file_manager, startup_options(line, line.replay_file.empty() ? nullptr : &recorded)))
    return 1;

  load_scenes(SCENE_LIST, "Video", file_manager);
  startup_mark("scene list");
  // Only --strict (which fails on them) and --watch (which learns them) need the problems before
  // the first frame; otherwise the check waits until the first frame is shown.
  std::ostringstream problems;
  SoundAfterFirstFrame sound_later;
  add_run_observer(&sound_later);
  CheckAfterFirstFrame check_later(data_check, std::cerr);
  if (line.strict || watching) {
    const int checked = data_check.finish(problems);
    std::cerr << problems.str();
    if (checked != 0 && line.strict) {
      std::cerr << "tarnvale: start-up fails on the data problems above (--strict)" << std::endl;
      return 1;
    }
    startup_mark("data checked");
  } else {
    add_run_observer(&check_later);
  }
  std::string start_scene = "start_screen";
  if (Config_Interface* config = config_get_interface("GameConfig"))
    start_scene = config->get_value("Options->StartScene", "start_screen");
  Recorder recorder;
  if (recording) {
    if (!recorder.open(line.record_file, {build, data_checksum(), line.seed, start_scene}, &error)) {
      std::cerr << error << std::endl;
      return 1;
    }
    add_run_observer(&recorder);
  }
  if (watching) {
    live_reload.started(problems.str());
    add_run_observer(&live_reload);
  }
  // Under --strict a start scene that is not there fails start-up, as a problem in the data does.
  const bool start_scene_missing = line.strict && get_scene(start_scene) == nullptr;
  process_scene(start_scene);
  remove_run_observer(&sound_later);
  remove_run_observer(&check_later);
  check_later.finish();
  remove_run_observer(&live_reload);
  remove_run_observer(&recorder);

  keep_player_window_mode();
  if (Video_Interface* video = video_get_interface("Video")) video->_deinit();
  delete file_manager;
  if (start_scene_missing) {
    std::cerr << "tarnvale: start-up fails: there is no start scene (--strict)" << std::endl;
    return 1;
  }
  return 0;
}
