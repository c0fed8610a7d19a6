// UTF-8 decoding, including every way a text can be cut off or malformed.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "utf8_decoder.h"

namespace {

// Decodes from a heap copy of exactly the given bytes, so a read past the end is caught by ASan.
std::vector<int> decode(const std::string& bytes) {
  std::unique_ptr<char[]> exact(new char[bytes.size() ? bytes.size() : 1]);
  std::memcpy(exact.get(), bytes.data(), bytes.size());
  return mordent::decode_utf8(exact.get(), bytes.size());
}

}  // namespace

TEST(Utf8Decoder, DecodesOneToFourByteSequences) {
  EXPECT_EQ(decode("Az~"), (std::vector<int>{'A', 'z', '~'}));
  EXPECT_EQ(decode("\xC3\xA9"), (std::vector<int>{0xE9}));
  EXPECT_EQ(decode("\xE2\x82\xAC"), (std::vector<int>{0x20AC}));
  EXPECT_EQ(decode("\xF0\x9F\x98\x80"), (std::vector<int>{0x1F600}));
  EXPECT_EQ(decode(std::string("a\0b", 3)), (std::vector<int>{'a', 0, 'b'}));
}

TEST(Utf8Decoder, MalformedBytesAreTakenAsTheyCome) {
  // A stray continuation byte is its own code; continuation bytes are not checked.
  EXPECT_EQ(decode("\x80x"), (std::vector<int>{0x80, 'x'}));
  EXPECT_EQ(decode("\xC3x"), (std::vector<int>{(0x03 << 6) | ('x' & 0x3F)}));
  // 0xF8 and above are read as four-byte leads with their low three bits.
  EXPECT_EQ(decode("\xFF\x80\x80\x80"), (std::vector<int>{0x07 << 18}));
  // An overlong form decodes to the plain code.
  EXPECT_EQ(decode("\xC1\x81"), (std::vector<int>{'A'}));
}

TEST(Utf8Decoder, CutOffSequencesNeverReadPastTheEnd) {
  const std::string full = "\xF0\x9F\x98\x80";
  for (size_t cut = 1; cut < full.size(); ++cut) {
    const std::vector<int> codes = decode(full.substr(0, cut));
    ASSERT_EQ(codes.size(), 1u) << cut;
    // The bytes that are there keep their place; the missing ones count as zero.
    EXPECT_EQ(codes[0] >> (6 * (4 - cut)), 0x1F600 >> (6 * (4 - cut))) << cut;
  }
  EXPECT_EQ(decode("ab\xE2\x82").size(), 3u);
  EXPECT_EQ(decode("\xC3").size(), 1u);
  EXPECT_TRUE(decode("").empty());
}
