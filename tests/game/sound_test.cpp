// The shipped game's sound as a player hears it: the real program under the private X server,
// started at the shipped start screen and clicked with xdotool, recorded by OpenAL Soft's wave
// writer; and the same program without a sound device, and losing it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <thread>

#include "game_process.h"
#include "sound_files.h"
#include "xserver.h"

using namespace game_test;
using ::testing::HasSubstr;

namespace {

void wait(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

class GameSound : public ::testing::Test {
protected:
  void SetUp() override {
    REQUIRE_X_SERVER();
    prepare_game_folder(folder, "start_screen");
  }
  // OpenAL Soft's own settings for the run, in the game's folder.
  std::vector<std::string> sound_env(const std::string& settings) {
    std::vector<std::string> env = GAME_ENV;
    env.push_back("ALSOFT_CONF=" + folder.write("alsoft.conf", settings));
    return env;
  }
  // The mix written to `file` as 16-bit mono by OpenAL Soft's wave writer.
  std::vector<std::string> recording_env(const std::string& file) {
    return sound_env("[general]\ndrivers = wave\nchannels = mono\nsample-type = int16\n[wave]\nfile = " +
                     file + "\n");
  }
  // The player's settings `names` kept in the folder's data/ (XDG_DATA_HOME in `env`).
  void keep_settings(const std::string& names, std::vector<std::string>* env) {
    folder.write("cfg/Game.cfg",
                 "[Fonts]\n\t[Font0]\n\t\tname Font0\n\t\tsource res/fonts/DejaVuSans.ttf\n\t[/]\n[/]\n"
                 "[Options]\n\tStartScene start_screen\n\tSavedSettings " + names + "\n[/]\n");
    env->push_back("XDG_DATA_HOME=" + folder.file("data"));
  }
  // Starts the game and clicks the start screen's Settings a moment after its window shows.
  std::string start_and_open_settings(const std::vector<std::string>& env, double moment) {
    if (!game.start({test_support::built_program("tarnvale")}, folder.path(), env)) return "";
    const std::string window = find_window(60);
    if (window.empty()) return "";
    wait(moment);
    click(window, 0.0f, -0.52f);  // Settings
    wait(1.0);
    return window;
  }
  test_support::ScratchDir folder;
  test_support::ChildProcess game;
};

TEST_F(GameSound, MenuAndFieldMusicPlayAndMSilencesTheField) {
  const std::string recording = folder.file("mix.wav");
  ASSERT_TRUE(game.start({test_support::built_program("tarnvale")}, folder.path(), recording_env(recording)));
  const std::string window = find_window(60);
  ASSERT_FALSE(window.empty()) << game.err();
  wait(2.0);  // the menu's music
  click(window, 0.0f, -0.06f);  // New game
  ASSERT_TRUE(wait_for_output(game, "Stone5 position:", 60)) << game.err();
  wait(2.0);  // the field's music
  test_support::run_process({"xdotool", "key", "--window", window, "m"}, ".", 10);
  wait(1.5);
  ASSERT_TRUE(request_close(window));
  ASSERT_TRUE(game.wait(30));
  EXPECT_EQ(game.exit_code(), 0);
  EXPECT_THAT(game.err(), ::testing::Not(HasSubstr("Sound:")));

  int rate = 0;
  const std::vector<int16_t> mix = sound_test::read_recording(recording, &rate);
  ASSERT_GT(rate, 0);
  const double seconds = static_cast<double>(mix.size()) / rate;
  ASSERT_GT(seconds, 4.0);
  const auto loudness = [&](double from, double length) {
    return sound_test::loudness(mix, static_cast<std::size_t>(from * rate),
                                static_cast<std::size_t>(length * rate));
  };
  // The recording starts as the start screen shows, and ends in the muted field.
  const long menu_music = sound_test::onset(mix, 0.005);
  ASSERT_GE(menu_music, 0) << "nothing was heard";
  EXPECT_LT(static_cast<double>(menu_music) / rate, 1.0) << "the menu's music came late";
  EXPECT_GT(loudness(static_cast<double>(menu_music) / rate, 1.0), 0.003) << "no menu music";
  const long last_sound = [&] {
    for (long i = static_cast<long>(mix.size()) - 1; i >= 0; --i)
      if (std::abs(mix[static_cast<std::size_t>(i)]) > 30) return i;
    return -1L;
  }();
  ASSERT_GT(last_sound, 0);
  const double muted_at = static_cast<double>(last_sound) / rate;
  EXPECT_GT(seconds - muted_at, 1.0) << "sound after M";
  EXPECT_GT(loudness(muted_at - 1.5, 1.4), 0.003) << "no field music before M";
}

TEST_F(GameSound, TheStartScreensButtonsSound) {
  // The music silenced by the player's kept setting: what is heard is the button's.
  const std::string recording = folder.file("mix.wav");
  std::vector<std::string> env = recording_env(recording);
  keep_settings("MusicVolume", &env);
  folder.write("data/tarnvale/settings.cfg", "[Settings]\n\tMusicVolume 0\n[/]\n");
  // Off every button, or the first frame's hover would sound.
  test_support::run_process({"xdotool", "mousemove", "799", "0"}, ".", 10);
  const std::string window = start_and_open_settings(env, 1.5);
  ASSERT_FALSE(window.empty()) << game.err();
  ASSERT_TRUE(request_close(window));
  ASSERT_TRUE(game.wait(30));
  int rate = 0;
  const std::vector<int16_t> mix = sound_test::read_recording(recording, &rate);
  ASSERT_GT(rate, 0);
  const long heard = sound_test::onset(mix, 0.003);
  ASSERT_GE(heard, 0) << "the button was not heard";
  EXPECT_GT(static_cast<double>(heard) / rate, 1.0) << "sound before the button: the music played";
}

TEST_F(GameSound, WithoutADeviceOneLineSaysSoAndTheGameRuns) {
  // ALSA refuses the device on every machine, and would print its own lines as it does on one
  // without a sound card.
  ASSERT_TRUE(game.start({test_support::built_program("tarnvale")}, folder.path(),
                         sound_env("[general]\ndrivers = alsa\n[alsa]\ndevice = no_such_pcm\n")));
  const std::string window = find_window(60);
  ASSERT_FALSE(window.empty()) << game.err();
  wait(1.0);
  click(window, 0.0f, -0.06f);  // New game
  EXPECT_TRUE(wait_for_output(game, "Stone5 position:", 60)) << game.err();
  ASSERT_TRUE(request_close(window));
  ASSERT_TRUE(game.wait(30));
  EXPECT_EQ(game.exit_code(), 0);
  EXPECT_EQ(count_of(game.err() + game.out(), "Sound:"), 1) << game.err();
  EXPECT_EQ(count_of(game.err(), "AL lib"), 0) << "OpenAL Soft's own lines";
  EXPECT_EQ(count_of(game.err(), "ALSA lib"), 0) << "ALSA's own lines";
  EXPECT_THAT(game.err(), HasSubstr("Sound: no sound device can be opened; the game goes on without sound\n"));
}

// A device that can be unplugged: a pipe the wave writer feeds and a thread reads. Closed, it
// fails the writer's next write, which OpenAL Soft takes for the device gone, as when a headset
// is pulled out.
class PipeDevice {
public:
  explicit PipeDevice(const std::string& path) {
    // Not inherited: the game holding the read end too would keep the pipe open.
    if (mkfifo(path.c_str(), 0600) == 0) reader_ = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (reader_ >= 0) drain_ = std::thread([this] { read_until_unplugged(); });
  }
  ~PipeDevice() { unplug(); }
  bool ready() const { return reader_ >= 0; }
  // The samples heard until the pipe is closed.
  std::vector<int16_t> unplug() {
    if (drain_.joinable()) {
      reading_ = false;
      drain_.join();
      close(reader_);
    }
    const std::size_t header = 44;
    std::vector<int16_t> samples(heard_.size() > header ? (heard_.size() - header) / 2 : 0);
    if (!samples.empty()) std::memcpy(samples.data(), heard_.data() + header, samples.size() * 2);
    return samples;
  }

private:
  void read_until_unplugged() {
    char piece[8192];
    while (reading_) {
      const ssize_t got = read(reader_, piece, sizeof piece);
      if (got > 0)
        heard_.append(piece, static_cast<std::size_t>(got));
      else
        wait(0.005);
    }
  }
  int reader_ = -1;
  std::atomic<bool> reading_{true};
  std::string heard_;
  std::thread drain_;
};

TEST_F(GameSound, ADeviceLostOnTheStartScreenIsOneLineAndTheGamePlaysOnSilent) {
  PipeDevice device(folder.file("device"));
  ASSERT_TRUE(device.ready());
  // Writing to a pipe nobody reads raises SIGPIPE; ignored here, and so in the game, the write
  // fails instead.
  struct sigaction ignore = {}, before = {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, &before);
  const bool started = game.start({test_support::built_program("tarnvale")}, folder.path(),
                                  recording_env(folder.file("device")));
  sigaction(SIGPIPE, &before, nullptr);
  ASSERT_TRUE(started);
  const std::string window = find_window(60);
  ASSERT_FALSE(window.empty()) << game.err();
  wait(1.5);  // the menu's music
  const std::vector<int16_t> heard = device.unplug();
  EXPECT_GT(sound_test::loudness(heard, 0, heard.size()), 0.003) << "nothing was heard before the loss";
  EXPECT_TRUE(wait_for_output(game, "Sound: the sound device was lost; the game goes on without sound\n", 5))
      << game.err();

  // The button's click, the field's music, mute and pause all go to the lost device: the game
  // answers as before.
  click(window, 0.0f, -0.06f);  // New game
  ASSERT_TRUE(wait_for_output(game, "Stone5 position:", 60)) << game.err();
  test_support::run_process({"xdotool", "key", "--window", window, "m"}, ".", 10);
  test_support::run_process({"xdotool", "key", "--window", window, "Escape"}, ".", 10);
  EXPECT_TRUE(wait_for_output(game, "INFO:Paused", 10)) << game.out();
  ASSERT_TRUE(request_close(window));
  ASSERT_TRUE(game.wait(30));
  EXPECT_EQ(game.exit_code(), 0);
  EXPECT_EQ(count_of(game.err() + game.out(), "Sound:"), 1) << game.err();
}

TEST_F(GameSound, TheSettingsWindowChangesTheVolumesAndTheyAreKept) {
  std::vector<std::string> env = sound_env("[general]\ndrivers = null\n");
  keep_settings("EffectsVolume MusicVolume", &env);
  const std::string window = start_and_open_settings(env, 1.0);
  ASSERT_FALSE(window.empty()) << game.err();
  // The window is 560 x 560 on the 800 x 600 picture: its rows stand at 0.7 of their own x and
  // 0.933 of their own y.
  click(window, 0.14f, -0.299f);  // effects -
  click(window, 0.14f, -0.299f);
  click(window, 0.49f, -0.467f);  // music +: already at 100
  click(window, 0.14f, -0.467f);  // music -
  ASSERT_TRUE(request_close(window));
  ASSERT_TRUE(game.wait(30));
  EXPECT_EQ(game.exit_code(), 0);
  const std::string kept = test_support::read_file(folder.file("data/tarnvale/settings.cfg"));
  EXPECT_THAT(kept, HasSubstr("EffectsVolume 80\n"));
  EXPECT_THAT(kept, HasSubstr("MusicVolume 90\n"));
}

}  // namespace
