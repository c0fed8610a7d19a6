// What the OpenAL driver plays through the Sound object, heard in the recording of OpenAL Soft's
// wave writer: when a sound starts, how it sounds, and when it is silent.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "carrow/config.h"
#include "chime/sound.h"
#include "scene_kit.h"
#include "sound_files.h"

using namespace sound_test;

namespace {

using Clock = std::chrono::steady_clock;
const double FRAME = 1.0 / 60;

// The wave writer's settings are read once per process, at the first device: one recording file
// for the suite, written anew by each device.
const std::string& recording_file() {
  static const std::string file = [] {
    const std::string folder = std::string(TARNVALE_BINARY_DIR) + "/test-data/sound_mix_test";
    std::filesystem::create_directories(folder);
    const std::string conf = folder + "/alsoft.conf", wave = folder + "/mix.wav";
    std::ofstream(conf) << "[general]\ndrivers = wave\nfrequency = 44100\nchannels = mono\n"
                           "sample-type = int16\nperiod_size = 256\nperiods = 2\n[wave]\nfile = "
                        << wave << "\n";
    setenv("ALSOFT_CONF", conf.c_str(), 1);
    return wave;
  }();
  return file;
}

// A Sound section whose "play" listens to the signal "sound_test->" + signal.
std::string sound_section(const std::string& name, const std::string& keys,
                          const std::string& signal) {
  const std::string wiring = "\t\t[signals]\n\t\t\t[signal0]\n\t\t\t\tconnect on_load\n"
                             "\t\t\t\tsignal_source sound_test\n\t\t\t\tsignal_name " + signal +
                             "\n\t\t\t\tslot_name play\n\t\t\t[/]\n\t\t[/]\n";
  return scene_kit::object_section(name, "Sound", "\t\t[Sound]\n" + keys + "\t\t[/]\n" + wiring);
}

void rise(const std::string& signal, std::vector<int64_t> ints = {}) {
  Signal s("sound_test->" + signal);
  s.add_params(ints);
  s.rise();
}

void wait(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

class Listening : public scene_kit::SceneFixture {
protected:
  void SetUp() override {
    SceneFixture::SetUp();
    recording_file();
    ASSERT_TRUE(soundloader_create("wav", "libchime_wav", true)) << sound_error();
    ASSERT_TRUE(soundloader_create("ogg", "libchime_ogg", true)) << sound_error();
    ASSERT_TRUE(config_create("SoundTest", "libquorra", true)) << config_error();
    const std::string params[2] = {"SoundTest", "Sound->"};
    ASSERT_TRUE(sound_create(SOUND_NAME, "libAL_chime", params, 2)) << sound_error();
    // The recording cannot start before this; taken as its start, a busy machine's slow start-up
    // is not counted as a delay of the sounds.
    opened = Clock::now();
    ASSERT_TRUE(sound()->_init()) << sound()->_get_error();
  }
  void TearDown() override {
    if (sound()) sound_remove(SOUND_NAME);
    SceneFixture::TearDown();
  }
  static Sound_Interface* sound() { return sound_get_interface(SOUND_NAME); }

  // A loaded, active scene with the sections; each file key names a file of `dir`.
  Scene* scene_with(const std::vector<std::string>& names, const std::string& sections) {
    std::vector<std::pair<std::string, int>> entries;
    for (const std::string& n : names) entries.push_back({n, 0});
    Scene* scene = add_scene("sounds", scene_kit::scene_file(entries, sections));
    EXPECT_TRUE(scene->load_scene());
    scene->slot__on_activate(nullptr);
    return scene;
  }
  std::string tone_file(const std::string& name, double frequency, double seconds = 0.3) {
    return dir.write(name, wav_bytes({}, sine(frequency, seconds)));
  }
  double since_open() const { return std::chrono::duration<double>(Clock::now() - opened).count(); }
  // Closes the device, which finishes the file, and reads what it recorded.
  std::vector<int16_t> listen() {
    sound_remove(SOUND_NAME);
    std::vector<int16_t> samples = read_recording(recording_file(), &rate);
    EXPECT_EQ(rate, 44100);
    return samples;
  }
  std::size_t at(double seconds) const { return static_cast<std::size_t>(seconds * rate); }

  Clock::time_point opened;
  int rate = 44100;
};

TEST_F(Listening, AnEffectStartsWithinTwoFramesOfItsSignal) {
  const std::string file = tone_file("beep.wav", 880);
  scene_with({"beep"}, sound_section("beep", "\t\t\tfile " + file + "\n", "beep"));
  wait(0.2);
  const double risen = since_open();
  rise("beep");
  wait(0.4);
  const std::vector<int16_t> mix = listen();
  const long start = onset(mix);
  ASSERT_GE(start, 0) << "nothing was heard";
  // The writer mixes by the clock, a piece at a time; one that fell behind catches up and may
  // put the start a little early, never late.
  const double delay = static_cast<double>(start) / rate - risen;
  EXPECT_LT(delay, 2 * FRAME);
  EXPECT_LT(loudness(mix, 0, at(risen) - at(0.15)), 0.001) << "heard before it was played";
  EXPECT_NEAR(dominant_frequency(mix, start, at(0.2), rate), 880, 10);
}

TEST_F(Listening, TwoEffectsAtOnceAreBothHeardAndAHigherPitchSoundsHigher) {
  const std::string low = tone_file("low.wav", 300, 0.5), high = tone_file("high.wav", 1200, 0.5);
  // The burst's rise as the game's data has it: two semitones for each stone.
  scene_with({"low", "high", "burst"},
             sound_section("low", "\t\t\tfile " + low + "\n", "low") +
                 sound_section("high", "\t\t\tfile " + high + "\n", "high") +
                 sound_section("burst", "\t\t\tfile " + low + "\n\t\t\tpitch 0.71\n\t\t\tpitch_step 2\n",
                               "burst"));
  wait(0.1);
  const double both = since_open();
  rise("low");
  rise("high");
  wait(0.6);
  const double three = since_open();
  rise("burst", {3, 0});
  wait(0.6);
  const double five = since_open();
  rise("burst", {5, 0});
  wait(0.5);
  const std::vector<int16_t> mix = listen();
  const std::size_t window = at(0.2);
  const double low_power = power_at(mix, at(both + 0.05), window, 300, rate);
  const double high_power = power_at(mix, at(both + 0.05), window, 1200, rate);
  EXPECT_GT(low_power, 0.5 * high_power);
  EXPECT_GT(high_power, 0.5 * low_power);
  const double at_three = dominant_frequency(mix, at(three + 0.05), window, rate);
  const double at_five = dominant_frequency(mix, at(five + 0.05), window, rate);
  EXPECT_NEAR(at_three, 300 * 0.71 * std::exp2(0.5), 10);
  EXPECT_NEAR(at_five, 300 * 0.71 * std::exp2(10.0 / 12), 10);
  EXPECT_GT(at_five, at_three);
}

TEST_F(Listening, VolumeZeroAndMuteAreSilentAndUnmutingPlaysAgain) {
  const std::string file = tone_file("tone.wav", 600, 0.2);
  scene_with({"quiet", "loud"},
             sound_section("quiet", "\t\t\tfile " + file + "\n\t\t\tvolume 0\n", "quiet") +
                 sound_section("loud", "\t\t\tfile " + file + "\n", "loud"));
  rise("quiet");
  wait(0.3);
  sound()->_set_volume(SOUND_EFFECTS, 0);
  rise("loud");
  wait(0.3);
  sound()->_set_volume(SOUND_EFFECTS, 1);
  sound()->_set_muted(true);
  rise("loud");
  wait(0.3);
  sound()->_set_muted(false);
  const double unmuted = since_open();
  rise("loud");
  wait(0.3);
  const std::vector<int16_t> mix = listen();
  EXPECT_LT(loudness(mix, 0, at(unmuted) - at(0.1)), 0.0005) << "heard while silent";
  EXPECT_GT(loudness(mix, at(unmuted), at(0.2)), 0.1) << "not heard after unmuting";
}

TEST_F(Listening, MusicStreamsLoopsWithoutAGapPausesAndGivesWayToTheNext) {
  const std::string first = tone_file("first.wav", 400, 0.25), second = tone_file("second.wav", 900, 0.5);
  scene_with({"first", "second"},
             sound_section("first", "\t\t\tfile " + first + "\n\t\t\tchannel music\n\t\t\tloop true\n", "first") +
                 sound_section("second", "\t\t\tfile " + second + "\n\t\t\tchannel music\n", "second"));
  const double started = since_open();
  rise("first");
  wait(1.0);  // four rounds of the loop
  const double paused = since_open();
  sound()->_pause_music(true);
  wait(0.3);
  sound()->_pause_music(false);
  wait(0.2);
  const double replaced = since_open();
  rise("second");
  wait(0.4);
  const std::vector<int16_t> mix = listen();
  // Every 50 ms of the loop's rounds sounds: no gap where it starts again.
  for (double t = started + 0.15; t < paused - 0.05; t += 0.05)
    EXPECT_GT(loudness(mix, at(t), at(0.05)), 0.2) << "gap at " << t - started;
  EXPECT_LT(loudness(mix, at(paused + 0.1), at(0.1)), 0.001) << "heard while paused";
  EXPECT_GT(loudness(mix, at(paused + 0.35), at(0.1)), 0.2) << "not resumed";
  EXPECT_NEAR(dominant_frequency(mix, at(replaced + 0.15), at(0.2), rate), 900, 10);
}

}  // namespace
