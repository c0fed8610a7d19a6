// The OpenAL driver on OpenAL Soft's null back end, which mixes like a device but sends nowhere:
// the process's CPU while 16 effects sound at once, against the same 16 sources played with bare
// OpenAL calls (the peer: what any OpenAL program pays); and the time from a signal to its
// samples being queued, through the Sound object's wiring, against starting it on a bare source.

#include <AL/al.h>
#include <AL/alc.h>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <thread>

#include "carrow/config.h"
#include "chime/sound.h"
#include "openal_sound.h"
#include "twinkel/signals.h"

namespace {

const int VOICES = 16;
const int RATE = 44100;

double process_cpu_seconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// Sixteen different one-second tones.
std::vector<std::shared_ptr<const Sound_Samples>> tones() {
  std::vector<std::shared_ptr<const Sound_Samples>> all;
  for (int v = 0; v < VOICES; ++v) {
    auto tone = std::make_shared<Sound_Samples>();
    tone->rate = RATE;
    tone->channels = 1;
    tone->samples.resize(RATE);
    for (int i = 0; i < RATE; ++i)
      tone->samples[i] = static_cast<int16_t>(8000 * std::sin(2 * M_PI * (300 + 50 * v) * i / RATE));
    all.push_back(tone);
  }
  return all;
}

// Share of one core the process spends over `seconds` of wall time.
double core_share_over(double seconds) {
  const double cpu = process_cpu_seconds();
  const auto start = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return (process_cpu_seconds() - cpu) / wall;
}

// The driver with 16 looping effects (0: idle, for the base line).
void BM_DriverMixing(benchmark::State& state) {
  const auto sounds = tones();
  for (auto _ : state) {
    OpenAL_Sound sound("SoundBench", "Sound->");
    if (!sound._init()) {
      state.SkipWithError(sound._get_error().c_str());
      return;
    }
    for (int v = 0; v < state.range(0); ++v) sound._play(sounds[v], 0.5f, 1.0f, true);
    state.counters["core_percent"] = 100 * core_share_over(2.0);
  }
}
BENCHMARK(BM_DriverMixing)->Arg(0)->Arg(VOICES)->Iterations(1)->Unit(benchmark::kMillisecond);

// A device and its context opened with bare OpenAL calls: what the peers run on.
class BareContext {
public:
  BareContext()
      : device_(alcOpenDevice(nullptr)),
        context_(device_ ? alcCreateContext(device_, nullptr) : nullptr) {
    if (context_) alcMakeContextCurrent(context_);
  }
  ~BareContext() {
    if (context_) {
      alcMakeContextCurrent(nullptr);
      alcDestroyContext(context_);
    }
    if (device_) alcCloseDevice(device_);
  }
  BareContext(const BareContext&) = delete;
  BareContext& operator=(const BareContext&) = delete;
  bool open() const { return context_ != nullptr; }

private:
  ALCdevice* device_;
  ALCcontext* context_;
};

void upload(ALuint buffer, const Sound_Samples& tone) {
  alBufferData(buffer, AL_FORMAT_MONO16, tone.samples.data(),
               static_cast<ALsizei>(tone.samples.size() * 2), RATE);
}

// The peer: the same sources with bare OpenAL calls and no worker.
void BM_BareOpenALMixing(benchmark::State& state) {
  const auto sounds = tones();
  for (auto _ : state) {
    BareContext context;
    if (!context.open()) {
      state.SkipWithError("no device");
      return;
    }
    std::vector<ALuint> sources(VOICES), buffers(VOICES);
    alGenSources(VOICES, sources.data());
    alGenBuffers(VOICES, buffers.data());
    for (int v = 0; v < state.range(0); ++v) {
      upload(buffers[v], *sounds[v]);
      alSourcei(sources[v], AL_BUFFER, static_cast<ALint>(buffers[v]));
      alSourcei(sources[v], AL_LOOPING, AL_TRUE);
      alSourcef(sources[v], AL_GAIN, 0.5f);
      alSourcePlay(sources[v]);
    }
    state.counters["core_percent"] = 100 * core_share_over(2.0);
    alDeleteSources(VOICES, sources.data());
    alDeleteBuffers(VOICES, buffers.data());
  }
}
BENCHMARK(BM_BareOpenALMixing)->Arg(0)->Arg(VOICES)->Iterations(1)->Unit(benchmark::kMillisecond);

// The peer of the signal's way: the effect's buffer started again on one bare source at the
// pitch the slot computes, as any OpenAL program starts a sound.
void BM_BareSourcePlay(benchmark::State& state) {
  BareContext context;
  if (!context.open()) {
    state.SkipWithError("no device");
    return;
  }
  ALuint source = 0, buffer = 0;
  alGenSources(1, &source);
  alGenBuffers(1, &buffer);
  upload(buffer, *tones()[0]);
  alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
  for (auto _ : state) {
    alSourceStop(source);
    alSourcef(source, AL_PITCH, 1.5f);
    alSourcePlay(source);
  }
  alDeleteSources(1, &source);
  alDeleteBuffers(1, &buffer);
}
BENCHMARK(BM_BareSourcePlay)->Unit(benchmark::kMicrosecond);

// A signal wired to a slot that plays an effect, as the Sound object's "play" does: the time
// until the driver has queued the samples (alSourcePlay returned).
class PlaySlot {
public:
  PlaySlot(Sound_Interface* sound, std::shared_ptr<const Sound_Samples> tone)
      : sound_(sound), tone_(std::move(tone)), slot_(this, &PlaySlot::play) {
    register_slot("bench->effect->play", &slot_);
    connect("bench->burst", "bench->effect->play");
  }
  ~PlaySlot() { unregister_slot("bench->effect->play"); }
  bool play(SlotArgs* args) {
    const float pitch = args && !args->int_params.empty() ? 1.0f + 0.1f * args->int_params[0] : 1.0f;
    sound_->_play(tone_, 0.5f, pitch, false);
    return false;
  }

private:
  Sound_Interface* sound_;
  std::shared_ptr<const Sound_Samples> tone_;
  Slot<PlaySlot> slot_;
};

void BM_SignalToQueuedSamples(benchmark::State& state) {
  OpenAL_Sound sound("SoundBench", "Sound->");
  if (!sound._init()) {
    state.SkipWithError(sound._get_error().c_str());
    return;
  }
  PlaySlot slot(&sound, tones()[0]);
  Signal burst("bench->burst");
  burst.add_params(5);
  for (auto _ : state) burst.rise();
}
BENCHMARK(BM_SignalToQueuedSamples)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  // Before the first OpenAL call, which reads the settings once.
  const std::string conf = "/tmp/tarnvale-sound-bench.conf";
  std::ofstream(conf) << "[general]\ndrivers = null\nfrequency = 44100\nchannels = stereo\n";
  setenv("ALSOFT_CONF", conf.c_str(), 1);
  config_create("SoundBench", "libquorra", true);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
