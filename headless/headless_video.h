#pragma once
// The windowless video driver: the storage of the OpenGL driver without a window. It draws
// nothing, answers size queries from the configured window size, and can end the run after a
// number of frames, replay input from a file and write each frame's draw list to a trace file.
// Each _flip moves the stopwatches' stepped clock on by one frame (or by the time the frame took
// in a recorded game), so a run times its physics, timers and bursts the same way every time, as
// fast as the processor allows.

#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "replay_file.h"
#include "stored_video.h"

// Settings this driver reads besides the OpenGL driver's (prefix + name).
struct HeadlessSettings {
  long frames = 0;          // "Frames": a quit event after that many frames; 0 runs on
  std::string input_file;   // "InputFile": events to replay; empty replays nothing
  std::string trace_file;   // "TraceFile": where each frame's draw list goes; empty writes none
  std::string replay_file;  // "ReplayFile": a recorded game's input and frame times; empty: none
};

HeadlessSettings read_headless_settings(Config_Interface* config, const std::string& config_name,
                                        const std::string& prefix);

// A surface whose "upload" takes a checksum of its shown pixels, so that a trace tells pictures
// apart (every stone of one kind shows the same checksum).
class HeadlessSurface : public Video_Surface {
public:
  void _update() override;
  // FNV-1a of the first width x height pixels, as of the last _update.
  unsigned checksum();

private:
  unsigned checksum_ = 0;
  bool hashed_ = false;
};

// One input event at a frame, as a line of an input file names it.
struct ScriptedInput {
  long frame = 0;
  Event event;
};

// Reads an input file: one event per line, "FRAME EVENT [X Y [VALUE]]", where EVENT is one of
// mouse_press, mouse_release, mouse_move, keyboard_press, keyboard_release, character, quit;
// X, Y are normalised; VALUE is the button (mouse, default 1 for a press or release, 0 for a
// move), the key code (keyboard) or the code point (character). Blank lines and lines starting
// with '#' are skipped. false with "FILE:LINE: problem" in *error at the first bad line.
bool read_input_script(const std::string& path, std::vector<ScriptedInput>* events,
                       std::string* error);

class Headless_Video : public StoredVideo {
public:
  Headless_Video(std::string config_name, std::string prefix);
  ~Headless_Video() override;

  std::string _get_name() override { return "libheadless_tessar"; }
  void _enable_mouse_button_events(bool) override {}
  void _enable_key_events(bool) override {}
  void _enable_char_events(bool) override {}
  void _enable_mouse_move_events(bool) override {}
  void _flip() override;
  bool _init() override;
  bool _deinit() override;
  void _get_mouse_position(double* x, double* y) override;
  void _get_mouse_position(int* x, int* y) override;
  void _get_mouse_button_state(MOUSE_BUTTON* button, EVENT_TYPE* state) override;
  void _show_mouse(bool visible) override { mouse_visible_ = visible; }

  // `event` comes out of _get_event once _flip has been called `frame` times in all. Pointer
  // events keep the dx, dy they are given.
  void schedule(long frame, const Event& event);
  long frames() const { return frames_; }
  bool mouse_visible() const { return mouse_visible_; }
  // What the last _flip drew, as (group, name) of each sprite in drawing order.
  const std::vector<std::pair<std::string, std::string>>& last_frame() const { return last_frame_; }
  // Seconds one frame moves the stepped clock on: 1 / LimitFPS, or 1/60 without a limit.
  double frame_seconds() const;

protected:
  Video_Surface* new_surface() override { return new HeadlessSurface(); }
  StoredParticles* new_particles(const std::string& name, const std::string& group) override {
    return new StoredParticles(this, name, group);
  }
  // Forgets every item, queued draw and event, and starts counting frames again.
  void reset();

private:
  enum class Source {
    code,       // schedule(): queued as given
    script,     // the input file: dx, dy follow from the event before
    recording,  // a replay: as recorded, and the pointer and buttons follow it
  };
  struct Pending {
    Event event;
    Source source;
  };
  void deliver(const Pending& pending);
  void record_frame();
  void trace_particles(const char* where, const std::vector<StoredParticles*>& queue);

  HeadlessSettings headless_;
  std::map<long, std::vector<Pending>> scheduled_;
  std::vector<double> recorded_seconds_;  // [k - 1]: what frame k took when recorded
  bool replaying_ = false;
  std::vector<std::pair<std::string, std::string>> last_frame_;
  std::ofstream trace_;
  long frames_ = 0;
  bool mouse_visible_ = true;
  bool owns_clock_ = false;  // this driver switched the stepped clock on
  double pointer_x_ = 0, pointer_y_ = 0;
  int buttons_held_ = 0;
};
