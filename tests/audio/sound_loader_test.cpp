// The sound loaders on good, broken and hostile files, directly and through the registry.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "chime/sound.h"
#include "ogg_stream.h"
#include "scratch.h"
#include "sound_files.h"
#include "wav_stream.h"

using namespace sound_test;
using ::testing::HasSubstr;
using namespace std::string_literals;

namespace {

std::shared_ptr<const std::string> bytes_of(std::string text) {
  return std::make_shared<const std::string>(std::move(text));
}

std::vector<int16_t> read_all(Sound_Stream& stream) {
  std::vector<int16_t> all, piece(1000 * stream._get_channels());
  for (long got; (got = stream._read(piece.data(), 1000)) > 0;)
    all.insert(all.end(), piece.begin(), piece.begin() + got * stream._get_channels());
  return all;
}

std::string shipped(const std::string& file) {
  std::ifstream in(std::string(TARNVALE_SOURCE_DIR) + "/" + file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(WavLoader, ReadsPcmOf8And16BitsMonoAndStereoAtCommonRates) {
  const std::vector<int16_t> samples = {0, 1000, -1000, 32767, -32768, 256, -256, 12345};
  for (int bits : {8, 16})
    for (int channels : {1, 2})
      for (int rate : {8000, 22050, 44100, 48000, 96000}) {
        SCOPED_TRACE(std::to_string(bits) + " bit, " + std::to_string(channels) + " ch, " +
                     std::to_string(rate));
        std::string error;
        std::unique_ptr<Sound_Stream> stream(
            open_wav(bytes_of(wav_bytes({rate, channels, bits, 1}, samples)), &error));
        ASSERT_TRUE(stream) << error;
        EXPECT_EQ(stream->_get_rate(), rate);
        EXPECT_EQ(stream->_get_channels(), channels);
        const std::vector<int16_t> read = read_all(*stream);
        ASSERT_EQ(read.size(), samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i)
          EXPECT_NEAR(read[i], samples[i], bits == 8 ? 256 : 0) << i;
        ASSERT_TRUE(stream->_rewind());
        EXPECT_EQ(read_all(*stream), read);
      }
}

TEST(WavLoader, RefusesBrokenAndHostileHeadersWithTheReason) {
  const std::vector<int16_t> samples = sine(440, 0.01);
  std::string cut_format = wav_bytes({}, samples).substr(0, 24);
  std::string data_first = "RIFF\x24\0\0\0WAVEdata\x04\0\0\0abcd"s;
  std::string huge_chunk = wav_bytes({}, samples);
  huge_chunk.replace(12, 4, "junk");  // the format chunk becomes an unknown one...
  huge_chunk.replace(16, 4, "\xff\xff\xff\xff");  // ...that claims 4 GiB
  const struct {
    std::string bytes;
    const char* reason;
  } cases[] = {
      {"", "not a WAV file"},
      {"RIFF\0\0\0\0AVI LIST"s, "not a WAV file"},
      {cut_format, "format chunk is too short"},
      {wav_bytes({44100, 1, 16, 3}, samples), "format 3 is not PCM"},
      {wav_bytes({44100, 6, 16, 1}, samples), "6 channels"},
      {wav_bytes({44100, 1, 24, 1}, samples), "24-bit samples"},
      {wav_bytes({0, 1, 16, 1}, samples), "sample rate 0 is out of range"},
      {wav_bytes({1000000000, 1, 16, 1}, samples), "sample rate 1000000000 is out of range"},
      {wav_bytes({}, {}), "holds no samples"},
      {wav_bytes({}, samples).substr(0, 36), "no data chunk"},
      {data_first, "data chunk comes before the format chunk"},
      {huge_chunk, "no format chunk"},
  };
  for (const auto& c : cases) {
    std::string error;
    std::unique_ptr<Sound_Stream> stream(open_wav(bytes_of(c.bytes), &error));
    EXPECT_FALSE(stream) << c.reason;
    EXPECT_THAT(error, HasSubstr(c.reason));
  }
}

TEST(WavLoader, DataThatClaimsMoreThanTheFileHoldsIsReadAsFarAsItGoes) {
  const std::vector<int16_t> samples = sine(440, 0.01);
  std::string error;
  std::unique_ptr<Sound_Stream> stream(
      open_wav(bytes_of(wav_bytes({}, samples, 0x7fffffff) + "x"), &error));
  ASSERT_TRUE(stream) << error;
  EXPECT_EQ(read_all(*stream), samples);  // the odd byte is no whole frame
}

TEST(OggLoader, StreamsTheShippedMusicInPiecesAndRewinds) {
  std::string error;
  std::unique_ptr<Sound_Stream> stream(open_ogg(bytes_of(shipped("res/sounds/menu.ogg")), &error));
  ASSERT_TRUE(stream) << error;
  EXPECT_EQ(stream->_get_rate(), 44100);
  EXPECT_EQ(stream->_get_channels(), 1);
  const std::vector<int16_t> all = read_all(*stream);
  EXPECT_NEAR(static_cast<double>(all.size()) / 44100, 8.0, 0.05);
  EXPECT_GT(loudness(all, 0, all.size()), 0.01);
  ASSERT_TRUE(stream->_rewind());
  std::vector<int16_t> first(1000);
  ASSERT_EQ(stream->_read(first.data(), 1000), 1000);
  EXPECT_TRUE(std::equal(first.begin(), first.end(), all.begin()));
}

TEST(OggLoader, RefusesBrokenAndCutFiles) {
  const std::string music = shipped("res/sounds/menu.ogg");
  for (const std::string& bytes : {std::string("OggS garbage that is no stream"), music.substr(0, 200),
                                   std::string(4096, '\0')}) {
    std::string error;
    std::unique_ptr<Sound_Stream> stream(open_ogg(bytes_of(bytes), &error));
    EXPECT_FALSE(stream);
    EXPECT_FALSE(error.empty());
  }
  // Cut in the middle: the header reads, the decoding stops where the bytes do.
  std::string error;
  std::unique_ptr<Sound_Stream> cut(open_ogg(bytes_of(music.substr(0, music.size() / 2)), &error));
  ASSERT_TRUE(cut) << error;
  const std::size_t frames = read_all(*cut).size();
  EXPECT_GT(frames, 44100u);
  EXPECT_LT(frames, 6 * 44100u);
}

TEST(SoundLoaderRegistry, PicksTheLoaderByExtensionAndNamesTheFileThatFails) {
  ASSERT_TRUE(soundloader_create("wav", "libchime_wav", true)) << sound_error();
  ASSERT_TRUE(soundloader_create("ogg", "libchime_ogg", true)) << sound_error();
  EXPECT_FALSE(soundloader_create("mp3", "libno_such_loader", true));
  test_support::ScratchDir dir;
  Brannow::FileManager files(100);
  files.register_brannow(Brannow::CreatePosixFile);

  const std::string good = dir.write("tone.WAV", wav_bytes({}, sine(440, 0.1)));
  auto decoded = soundloader_decode(good, &files);
  ASSERT_TRUE(decoded) << sound_error();
  EXPECT_EQ(decoded->frames(), 4410u);
  EXPECT_EQ(soundloader_decode(good, &files), decoded) << "decoded once while in use";

  const std::string broken = dir.write("broken.wav", "RIFF....WAVEfmt ");
  const std::string long_effect = dir.write("long.wav", wav_bytes({8000, 1, 8, 1}, sine(440, 31, 0.5, 8000)));
  const std::string wrong_kind = dir.write("music.ogg", wav_bytes({}, sine(440, 0.1)));
  const struct {
    std::string file;
    const char* reason;
  } cases[] = {
      {dir.file("missing.wav"), "the file cannot be read"},
      {dir.write("empty.wav", ""), "the file is empty"},
      {dir.write("song.mp3", "ID3"), "no sound loader for files ending in \".mp3\""},
      {broken, "no format chunk"},
      {long_effect, "longer than 30 seconds"},
      {wrong_kind, "not an Ogg Vorbis file"},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(soundloader_decode(c.file, &files)) << c.file;
    EXPECT_THAT(sound_error(), HasSubstr(c.file + ": " + c.reason));
  }
  EXPECT_TRUE(soundloader_remove("wav"));
  EXPECT_TRUE(soundloader_remove("ogg"));
}
