#include "sound_files.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

namespace sound_test {

namespace {
void put(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}
}  // namespace

std::string wav_bytes(const WavShape& shape, const std::vector<int16_t>& samples,
                      long claimed_bytes) {
  std::string data;
  for (int16_t s : samples)
    if (shape.bits == 8)
      data.push_back(static_cast<char>((s >> 8) + 128));
    else
      put(data, static_cast<uint16_t>(s), 2);
  std::string out = "RIFF";
  put(out, static_cast<uint32_t>(36 + data.size()), 4);
  out += "WAVEfmt ";
  put(out, 16, 4);
  put(out, static_cast<uint32_t>(shape.format), 2);
  put(out, static_cast<uint32_t>(shape.channels), 2);
  put(out, static_cast<uint32_t>(shape.rate), 4);
  put(out, static_cast<uint32_t>(static_cast<int64_t>(shape.rate) * shape.channels * shape.bits / 8), 4);
  put(out, static_cast<uint32_t>(shape.channels * shape.bits / 8), 2);
  put(out, static_cast<uint32_t>(shape.bits), 2);
  out += "data";
  put(out, static_cast<uint32_t>(claimed_bytes < 0 ? static_cast<long>(data.size()) : claimed_bytes), 4);
  return out + data;
}

std::vector<int16_t> sine(double frequency, double seconds, double gain, int rate) {
  std::vector<int16_t> samples(static_cast<std::size_t>(seconds * rate));
  for (std::size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<int16_t>(32767 * gain * std::sin(2 * M_PI * frequency * i / rate));
  return samples;
}

std::vector<int16_t> read_recording(const std::string& file, int* rate) {
  std::ifstream in(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0) return {};
  auto u32 = [&](std::size_t at) {
    uint32_t v = 0;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
  };
  std::size_t at = 12;
  while (at + 8 <= bytes.size() && bytes.compare(at, 4, "data") != 0) {
    if (bytes.compare(at, 4, "fmt ") == 0) *rate = static_cast<int>(u32(at + 12));
    at += 8 + u32(at + 4);
  }
  if (at + 8 > bytes.size()) return {};
  std::vector<int16_t> samples((bytes.size() - at - 8) / 2);
  std::memcpy(samples.data(), bytes.data() + at + 8, samples.size() * 2);
  return samples;
}

long onset(const std::vector<int16_t>& samples, double threshold, std::size_t from) {
  for (std::size_t i = from; i < samples.size(); ++i)
    if (std::abs(samples[i]) > threshold * 32767) return static_cast<long>(i);
  return -1;
}

double loudness(const std::vector<int16_t>& samples, std::size_t from, std::size_t count) {
  double sum = 0;
  std::size_t n = 0;
  for (std::size_t i = from; i < from + count && i < samples.size(); ++i, ++n)
    sum += (samples[i] / 32767.0) * (samples[i] / 32767.0);
  return n ? std::sqrt(sum / n) : 0;
}

double power_at(const std::vector<int16_t>& samples, std::size_t from, std::size_t count,
                double frequency, int rate) {
  double re = 0, im = 0;
  for (std::size_t i = from; i < from + count && i < samples.size(); ++i) {
    const double phase = 2 * M_PI * frequency * static_cast<double>(i - from) / rate;
    re += samples[i] * std::cos(phase);
    im += samples[i] * std::sin(phase);
  }
  return re * re + im * im;
}

double dominant_frequency(const std::vector<int16_t>& samples, std::size_t from,
                          std::size_t count, int rate) {
  double best = 0, best_power = -1;
  for (double f = 50; f <= 5000; f += 5) {
    const double power = power_at(samples, from, count, f, rate);
    if (power > best_power) {
      best_power = power;
      best = f;
    }
  }
  return best;
}

}  // namespace sound_test
