#pragma once
// Start-up of the game program: configurations, loaders, fonts, video, scene manager and UI.

#include <string>
#include <vector>

#include "brannow/brannow.h"
#include "voskar/scenemanager.h"

// A value that stands in for a key of "GameConfig" or "VideoConfig" for this run only: set once
// the file is loaded, never written back.
struct SettingOverride {
  std::string config, key, value;
};

struct StartupOptions {
  std::vector<SettingOverride> overrides;
  // The random generator's seed; without one, TARNVALE_SEED or else the time.
  bool seed_given = false;
  unsigned long seed = 0;
  bool verbose = false;  // each override applied is said on standard error
};

// The whole start-up; false (after a critical log line) when a step failed.
bool init(Brannow::FileManager* file_manager, const StartupOptions& options = StartupOptions());
// Registers the image loaders "jpg" and "png", then the text renderer "ttf" with its fonts.
bool init_loaders(Brannow::FileManager* file_manager);
// Loads every font of "GameConfig"'s list Fonts->Font into the "ttf" renderer.
bool init_fonts(Brannow::FileManager* file_manager);
// Makes the "ttf" renderer (anew, when there is one: it keeps the first font of each name) and
// loads the fonts into it: at start-up, and again for fonts changed on disk, once nothing holds
// the old renderer.
bool load_text_renderer(Brannow::FileManager* file_manager);
// The font files of "GameConfig"'s list Fonts->Font.
std::vector<std::string> font_files();

// Reads cfg/Sound.cfg and, when its Sound->Driver names a driver, registers the loaders "wav" and
// "ogg", so that the scenes loaded next decode their sounds. No file or no driver named: no sound.
void prepare_sound(Brannow::FileManager* file_manager);
// Opens the driver prepare_sound found named and gives it the player's volumes. A driver that
// cannot start is reported in one line and the game goes on silent.
void start_sound();

// Starts the sound at the end of the first frame: opening a device (a sound server, ALSA's
// settings, the mixer's thread) took longer than the start screen's own making.
class SoundAfterFirstFrame : public RunObserver {
public:
  void frame_ended() override;
  void event_taken(const Event&) override {}

private:
  bool started_ = false;
};

// With TARNVALE_STARTUP_ORIGIN set (nanoseconds of CLOCK_MONOTONIC, as the first-frame benchmark
// sets it when it starts the program), writes the wall and CPU milliseconds since then to stderr
// under the stage's name; otherwise does nothing.
void startup_mark(const char* stage);
