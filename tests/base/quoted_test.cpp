#include "tarnvale/quoted.h"

#include <gtest/gtest.h>

TEST(Quoted, TextPassesAndWhatCouldSteerATerminalIsShownAsCodes) {
  EXPECT_EQ(tarnvale::quoted("stone 3"), "\"stone 3\"");
  EXPECT_EQ(tarnvale::shown("Sch\xc3\xb6n \xe2\x98\x85 \xf0\x9f\x8e\xb2"), "Sch\xc3\xb6n \xe2\x98\x85 \xf0\x9f\x8e\xb2");
  EXPECT_EQ(tarnvale::shown("\x1b[2J\t\x7f"), "\\x1b[2J\\x09\\x7f");
  // Not UTF-8: a lone continuation byte, an 8-bit control (CSI), a character cut off at the end.
  EXPECT_EQ(tarnvale::shown("a\x9b" "b"), "a\\x9bb");
  EXPECT_EQ(tarnvale::shown("\xc2\x9b"), "\\xc2\\x9b");
  EXPECT_EQ(tarnvale::shown("\xff\xe2\x98"), "\\xff\\xe2\\x98");
  EXPECT_EQ(tarnvale::shown("\xed\xa0\x80"), "\\xed\\xa0\\x80");  // a surrogate
}
