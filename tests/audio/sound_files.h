#pragma once
// WAV files made by the tests, and recordings read back: what the sound suites write and listen to.

#include <cstdint>
#include <string>
#include <vector>

namespace sound_test {

struct WavShape {
  int rate = 44100;
  int channels = 1;
  int bits = 16;
  int format = 1;  // PCM
};

// A WAV file's bytes holding the samples (full scale 32767, converted to 8 bit when asked); the
// data chunk claims `claimed_bytes` when that is not negative.
std::string wav_bytes(const WavShape& shape, const std::vector<int16_t>& samples,
                      long claimed_bytes = -1);

// `seconds` of a sine of `frequency` Hz at `gain` of full scale, mono at the rate.
std::vector<int16_t> sine(double frequency, double seconds, double gain = 0.5, int rate = 44100);

// The samples of a 16-bit mono WAV file as recorded (to the file's end, whatever its header
// claims; a recording cut short by a crash still reads); empty when it is no such file.
std::vector<int16_t> read_recording(const std::string& file, int* rate);

// The index of the first sample louder than `threshold` of full scale, from `from` on; -1 when none.
long onset(const std::vector<int16_t>& samples, double threshold = 0.02, std::size_t from = 0);
// Root mean square (share of full scale) of samples [from, from + count).
double loudness(const std::vector<int16_t>& samples, std::size_t from, std::size_t count);
// The power of one frequency in samples [from, from + count).
double power_at(const std::vector<int16_t>& samples, std::size_t from, std::size_t count,
                double frequency, int rate);
// The strongest frequency from 50 Hz to 5 kHz in samples [from, from + count), to 5 Hz.
double dominant_frequency(const std::vector<int16_t>& samples, std::size_t from,
                          std::size_t count, int rate);

}  // namespace sound_test
