// The file manager the configuration reads and writes through.
#include <gtest/gtest.h>

#include <cstring>

#include "brannow/brannow.h"
#include "scratch.h"

TEST(FileManager, OpensReadsAndWrites) {
  test_support::ScratchDir scratch;
  Brannow::FileManager files(100);
  files.register_brannow(Brannow::CreatePosixFile);
  const std::string path = scratch.file("data.bin");
  {
    auto out = files.open(path, Brannow::WRITE, Brannow::NO_CACHE);
    EXPECT_TRUE(out->write("abc", 3));
    EXPECT_TRUE(out->write("\0de", 3));
    EXPECT_TRUE(out->write("", 0));
  }
  auto in = files.open(path, 0, 0);
  ASSERT_EQ(in->get_size(), 6u);
  EXPECT_EQ(std::memcmp(in->get_content(), "abc\0de", 7), 0);  // NUL after the content too
  EXPECT_FALSE(in->write("x", 1));

  // Past the first guess of the buffer's size, and from a file that tells no size.
  const std::string big(200000, 'x');
  EXPECT_EQ(std::string(files.open(scratch.write("big", big), 0, 0)->get_content()), big);
  auto told_nothing = files.open("/proc/self/status", 0, 0);
  EXPECT_NE(std::string(told_nothing->get_content()).find("Name:"), std::string::npos);

  auto empty = files.open(scratch.write("empty", ""), 0, 0);
  EXPECT_EQ(empty->get_size(), 0u);
  EXPECT_EQ(empty->get_content()[0], '\0');
}

TEST(FileManager, FailuresThrowBrannowError) {
  test_support::ScratchDir scratch;
  Brannow::FileManager files(100);
  EXPECT_THROW(files.open(scratch.write("f", "x"), 0, 0), BrannowError);  // no factory yet
  files.register_brannow(Brannow::CreatePosixFile);
  try {
    files.open(scratch.file("missing"), 0, 0);
    FAIL() << "no exception";
  } catch (const BrannowError& e) {
    EXPECT_NE(std::string(e.what()).find("missing"), std::string::npos);
  }
  EXPECT_THROW(files.open(scratch.file("no/folder/f"), 1, 0), BrannowError);
  files.register_brannow([](const std::string&, Brannow::READ_MODE) { return nullptr; });
  EXPECT_THROW(files.open(scratch.file("f"), 0, 0), BrannowError);
}

// A save to a full disk answered true: the error shows only when the buffer is flushed.
TEST(FileManager, CloseReportsWhatTheWritesCouldNotTell) {
  Brannow::FileManager files(100);
  files.register_brannow(Brannow::CreatePosixFile);
  auto full = files.open("/dev/full", Brannow::WRITE, Brannow::NO_CACHE);
  EXPECT_TRUE(full->write("abc", 3)) << "buffered";
  EXPECT_FALSE(full->close());
  EXPECT_FALSE(full->write("x", 1)) << "closed";
  EXPECT_TRUE(full->close()) << "a second close has nothing left to report";

  test_support::ScratchDir scratch;
  auto fine = files.open(scratch.file("fine"), Brannow::WRITE, Brannow::NO_CACHE);
  EXPECT_TRUE(fine->write("abc", 3));
  EXPECT_TRUE(fine->close());
  EXPECT_TRUE(files.open(scratch.file("fine"), 0, 0)->close());
}
