// sndgen: synthesises one sound file per call from a command line (see usage below): tones and
// chirps, noise bursts and short melodies mixed into 16-bit mono WAV, or Ogg Vorbis for music.

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

const int RATE = 44100;
const double PI = 3.14159265358979323846;

const char* const usage =
    "usage: sndgen OUT.wav|OUT.ogg SECONDS LAYER...\n"
    "  --tone WAVE F0 F1 AT LENGTH GAIN   a tone sliding from F0 to F1 Hz, struck at AT seconds,\n"
    "                                     fading over LENGTH seconds\n"
    "  --noise AT LENGTH GAIN BRIGHTNESS  a noise burst; BRIGHTNESS 0 (dull) to 1 (hiss)\n"
    "  --melody WAVE BPM GAIN NOTES       notes one after another from the start, as C4,E4:2,-,G#3\n"
    "                                     (note, octave, optional beats; - rests a beat)\n"
    "  --seed N                           the noise's seed (default 1)\n"
    "  WAVE: sine triangle square saw; gains are shares of full scale; .ogg files loop cleanly\n";

int fail(const std::string& message) {
  std::fprintf(stderr, "sndgen: %s\n%s", message.c_str(), usage);
  return 2;
}

bool number(const std::string& text, double& out) {
  char* end = nullptr;
  errno = 0;
  out = std::strtod(text.c_str(), &end);
  return !text.empty() && *end == '\0' && errno == 0 && std::isfinite(out);
}

// One period of the wave at phase 0..1.
double wave(const std::string& shape, double phase) {
  if (shape == "square") return phase < 0.5 ? 0.6 : -0.6;
  if (shape == "saw") return 0.7 * (2 * phase - 1);
  if (shape == "triangle") return phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase;
  return std::sin(2 * PI * phase);
}

bool known_wave(const std::string& shape) {
  return shape == "sine" || shape == "triangle" || shape == "square" || shape == "saw";
}

// A struck tone: a 5 ms attack, then an exponential fade to 1 % over the length.
void add_tone(std::vector<double>& mix, const std::string& shape, double f0, double f1, double at,
              double length, double gain, double attack = 0.005, bool held = false) {
  const auto first = static_cast<std::size_t>(at * RATE);
  const auto count = static_cast<std::size_t>(length * RATE);
  double phase = 0;
  for (std::size_t i = 0; i < count && first + i < mix.size(); ++i) {
    const double t = static_cast<double>(i) / RATE;
    const double f = f0 * std::pow(f1 / f0, t / length);
    // A held note stays up and falls off in its last fifth; a struck one fades all along.
    const double fade = held ? std::min(1.0, 5 * (1 - t / length)) : std::exp(-4.6 * t / length);
    mix[first + i] += gain * std::min(1.0, t / attack) * fade * wave(shape, phase);
    phase = std::fmod(phase + f / RATE, 1.0);
  }
}

void add_noise(std::vector<double>& mix, std::mt19937& random, double at, double length,
               double gain, double brightness) {
  std::uniform_real_distribution<double> white(-1, 1);
  const auto first = static_cast<std::size_t>(at * RATE);
  const auto count = static_cast<std::size_t>(length * RATE);
  const double keep = std::clamp(brightness, 0.01, 1.0);  // a one-pole low pass
  double low = 0;
  for (std::size_t i = 0; i < count && first + i < mix.size(); ++i) {
    low += keep * (white(random) - low);
    const double t = static_cast<double>(i) / RATE;
    mix[first + i] += gain * std::min(1.0, t / 0.002) * std::exp(-4.6 * t / length) * low;
  }
}

// "C4" -> 261.6 Hz; 0 for a text that is no note.
double note_frequency(const std::string& note) {
  static const int steps[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G from C
  if (note.size() < 2 || note[0] < 'A' || note[0] > 'G') return 0;
  int semitone = steps[note[0] - 'A'];
  std::size_t at = 1;
  if (note[at] == '#') ++semitone, ++at;
  else if (note[at] == 'b') --semitone, ++at;
  if (at + 1 != note.size() || note[at] < '0' || note[at] > '8') return 0;
  const int midi = 12 * (note[at] - '0' + 1) + semitone;
  return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

bool add_melody(std::vector<double>& mix, const std::string& shape, double bpm, double gain,
                const std::string& notes) {
  const double beat = 60.0 / bpm;
  double at = 0;
  std::istringstream list(notes);
  for (std::string item; std::getline(list, item, ',');) {
    double beats = 1;
    const std::size_t colon = item.find(':');
    if (colon != std::string::npos && (!number(item.substr(colon + 1), beats) || beats <= 0))
      return false;
    const std::string note = item.substr(0, colon);
    if (note != "-") {
      const double f = note_frequency(note);
      if (f == 0) return false;
      add_tone(mix, shape, f, f, at, beats * beat, gain, 0.02, true);
    }
    at += beats * beat;
  }
  return true;
}

std::vector<short> to_samples(const std::vector<double>& mix) {
  std::vector<short> samples(mix.size());
  for (std::size_t i = 0; i < mix.size(); ++i)
    samples[i] = static_cast<short>(std::lround(std::clamp(mix[i], -1.0, 1.0) * 32767));
  return samples;
}

void put32(std::FILE* out, unsigned value) {
  for (int i = 0; i < 4; ++i) std::fputc((value >> (8 * i)) & 0xff, out);
}
void put16(std::FILE* out, unsigned value) {
  std::fputc(value & 0xff, out);
  std::fputc((value >> 8) & 0xff, out);
}

bool write_wav(const std::string& file, const std::vector<short>& samples) {
  std::FILE* out = std::fopen(file.c_str(), "wb");
  if (!out) return false;
  const unsigned bytes = static_cast<unsigned>(samples.size() * 2);
  std::fputs("RIFF", out);
  put32(out, 36 + bytes);
  std::fputs("WAVEfmt ", out);
  put32(out, 16);
  put16(out, 1);  // PCM
  put16(out, 1);  // mono
  put32(out, RATE);
  put32(out, RATE * 2);
  put16(out, 2);
  put16(out, 16);
  std::fputs("data", out);
  put32(out, bytes);
  for (short s : samples) put16(out, static_cast<unsigned short>(s));
  return std::fclose(out) == 0;
}

bool write_ogg(const std::string& file, const std::vector<short>& samples) {
  std::FILE* out = std::fopen(file.c_str(), "wb");
  if (!out) return false;
  vorbis_info info;
  vorbis_info_init(&info);
  vorbis_encode_init_vbr(&info, 1, RATE, 0.3f);
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_block block;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 1);  // a fixed serial number: the same input gives the same file
  ogg_packet header, header_comment, header_code;
  vorbis_analysis_headerout(&dsp, &comment, &header, &header_comment, &header_code);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &header_comment);
  ogg_stream_packetin(&stream, &header_code);
  ogg_page page;
  auto write_page = [&] {
    std::fwrite(page.header, 1, static_cast<std::size_t>(page.header_len), out);
    std::fwrite(page.body, 1, static_cast<std::size_t>(page.body_len), out);
  };
  while (ogg_stream_flush(&stream, &page)) write_page();
  const std::size_t piece = 4096;
  for (std::size_t at = 0;; at += piece) {
    const std::size_t count = at < samples.size() ? std::min(piece, samples.size() - at) : 0;
    if (count > 0) {
      float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
      for (std::size_t i = 0; i < count; ++i) buffer[0][i] = samples[at + i] / 32768.0f;
    }
    vorbis_analysis_wrote(&dsp, static_cast<int>(count));  // 0 ends the stream
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page)) write_page();
      }
    }
    if (count == 0) break;
  }
  while (ogg_stream_flush(&stream, &page)) write_page();
  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() < 3) return fail("missing arguments");
  const std::string out = args[0];
  const bool ogg = out.size() > 4 && out.compare(out.size() - 4, 4, ".ogg") == 0;
  double seconds = 0;
  if (!number(args[1], seconds) || seconds <= 0 || seconds > 120)
    return fail("the length must be a number of seconds from 0 to 120");
  std::vector<double> mix(static_cast<std::size_t>(seconds * RATE), 0.0);
  std::mt19937 random(1);
  for (std::size_t i = 2; i < args.size(); ++i) {
    const std::string& opt = args[i];
    auto take = [&](std::size_t n) { return i + n < args.size(); };
    std::vector<double> v(6);
    auto numbers = [&](std::size_t from, std::size_t n) {
      for (std::size_t k = 0; k < n; ++k)
        if (!number(args[i + from + k], v[k])) return false;
      return true;
    };
    if (opt == "--tone") {
      if (!take(6) || !known_wave(args[i + 1]) || !numbers(2, 5) || v[0] <= 0 || v[1] <= 0 || v[3] <= 0)
        return fail("--tone needs a wave and five numbers (frequencies and length above 0)");
      add_tone(mix, args[i + 1], v[0], v[1], v[2], v[3], v[4]);
      i += 6;
    } else if (opt == "--noise") {
      if (!take(4) || !numbers(1, 4) || v[1] <= 0) return fail("--noise needs four numbers");
      add_noise(mix, random, v[0], v[1], v[2], v[3]);
      i += 4;
    } else if (opt == "--melody") {
      if (!take(4) || !known_wave(args[i + 1]) || !numbers(2, 2) || v[0] <= 0 ||
          !add_melody(mix, args[i + 1], v[0], v[1], args[i + 4]))
        return fail("--melody needs a wave, beats a minute, a gain and notes like C4,E4:2,-");
      i += 4;
    } else if (opt == "--seed") {
      if (!take(1) || !numbers(1, 1)) return fail("--seed needs a number");
      random.seed(static_cast<unsigned>(v[0]));
      i += 1;
    } else {
      return fail("unknown option " + opt);
    }
  }
  const std::vector<short> samples = to_samples(mix);
  if (!(ogg ? write_ogg(out, samples) : write_wav(out, samples))) {
    std::fprintf(stderr, "sndgen: cannot write %s\n", out.c_str());
    return 1;
  }
  return 0;
}
