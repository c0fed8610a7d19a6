// The picture generator, run as the program it is, its pictures read back from the PNG.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "process.h"
#include "scratch.h"

namespace {

struct Image {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgba;
  const std::uint8_t* at(int x, int y) const { return &rgba[(static_cast<std::size_t>(y) * width + x) * 4]; }
  int alpha(int x, int y) const { return at(x, y)[3]; }
};

Image read_png(const std::string& path) {
  Image image;
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) return image;
  png.format = PNG_FORMAT_RGBA;
  image.rgba.resize(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, image.rgba.data(), 0, nullptr)) return {};
  image.width = static_cast<int>(png.width);
  image.height = static_cast<int>(png.height);
  return image;
}

class Picgen : public ::testing::Test {
protected:
  // Runs picgen with OUT in the scratch folder and reads the picture back.
  Image draw(std::vector<std::string> args) {
    args.insert(args.begin(), {test_support::built_program("picgen"), scratch.file("out.png")});
    last = test_support::run_process(args);
    EXPECT_EQ(last.exit_code, 0) << last.err;
    return read_png(scratch.file("out.png"));
  }
  test_support::ScratchDir scratch;
  test_support::ProcessResult last;
};

::testing::AssertionResult has_colour(const Image& image, int x, int y, std::vector<int> rgba, int slack = 2) {
  const std::uint8_t* p = image.at(x, y);
  for (int i = 0; i < 4; ++i)
    if (std::abs(p[i] - rgba[i]) > slack)
      return ::testing::AssertionFailure() << "pixel " << x << "," << y << " is " << int(p[0]) << " " << int(p[1])
                                           << " " << int(p[2]) << " " << int(p[3]);
  return ::testing::AssertionSuccess();
}

}  // namespace

TEST_F(Picgen, EveryShapeIsFilledAtItsCentreAndClearWhereItIsNot) {
  struct Case {
    const char* shape;
    bool centre_filled, corner_filled;
  };
  for (const Case c : {Case{"fill", true, true}, Case{"rect", true, true}, Case{"roundrect", true, false},
                       Case{"circle", true, false}, Case{"diamond", true, false}, Case{"triangle", true, false},
                       Case{"hexagon", true, false}, Case{"star", true, false}, Case{"cross", true, false},
                       Case{"plus", true, false}, Case{"ring", false, false}, Case{"frame", false, true}}) {
    SCOPED_TRACE(c.shape);
    const Image image = draw({"48", "40", c.shape, "0x20c040ff", "--thickness", "10"});
    ASSERT_EQ(image.width, 48);
    ASSERT_EQ(image.height, 40);
    EXPECT_EQ(image.alpha(24, 20), c.centre_filled ? 255 : 0);
    EXPECT_EQ(image.alpha(0, 0), c.corner_filled ? 255 : 0);
    if (c.centre_filled) {
      EXPECT_TRUE(has_colour(image, 24, 20, {0x20, 0xc0, 0x40, 255}));
    }
  }
}

TEST_F(Picgen, EdgesAreSmoothWithoutDarkening) {
  const Image image = draw({"64", "64", "circle", "0xff8000ff"});
  int partial = 0;
  for (int x = 0; x < 64; ++x)
    for (int y = 0; y < 64; ++y) {
      const int a = image.alpha(x, y);
      if (a == 0 || a == 255) continue;
      ++partial;
      // Colour stays that of the fill; only coverage goes into alpha.
      EXPECT_TRUE(has_colour(image, x, y, {255, 128, 0, a}, 1));
    }
  EXPECT_GT(partial, 40);
  EXPECT_EQ(image.alpha(0, 0), 0);
  EXPECT_EQ(image.alpha(32, 32), 255);
}

TEST_F(Picgen, OutlineGradientShineAndBackground) {
  Image image = draw({"40", "100", "rect", "0x000000ff", "--gradient", "0xffffffff", "--outline", "0xff0000ff", "4"});
  EXPECT_TRUE(has_colour(image, 1, 50, {255, 0, 0, 255}));
  EXPECT_TRUE(has_colour(image, 20, 1, {255, 0, 0, 255}));
  EXPECT_LT(image.at(20, 6)[0], 20);
  EXPECT_NEAR(image.at(20, 50)[0], 128, 4);
  EXPECT_GT(image.at(20, 93)[0], 235);

  image = draw({"60", "60", "circle", "0x0000ffff", "--shine"});
  EXPECT_GT(image.at(30, 8)[0], 40);  // gloss near the top
  EXPECT_TRUE(has_colour(image, 30, 30, {0, 0, 255, 255}));

  image = draw({"60", "60", "ring", "0xffffffff", "--background", "0x102030ff", "0x102030ff"});
  EXPECT_TRUE(has_colour(image, 30, 30, {0x10, 0x20, 0x30, 255}));
  EXPECT_TRUE(has_colour(image, 0, 0, {0x10, 0x20, 0x30, 255}));

  image = draw({"60", "60", "rect", "0x000000ff", "--margin", "10"});
  EXPECT_EQ(image.alpha(5, 30), 0);
  EXPECT_EQ(image.alpha(12, 30), 255);
}

TEST_F(Picgen, TheShineLeavesTheRowsOfACentredCaptionAlone) {
  // A menu button, 52 pixels high: a 24 pixel caption in its middle covers rows 14 to 38.
  const std::vector<std::string> button = {"260", "52", "roundrect", "0x3c5a8cff", "--gradient",
                                           "0x1e2e4cff", "--radius", "10"};
  const Image plain = draw(button);
  std::vector<std::string> shiny_args = button;
  shiny_args.push_back("--shine");
  const Image shiny = draw(shiny_args);
  ASSERT_EQ(plain.rgba.size(), shiny.rgba.size());
  int glossed = 0;
  for (int y = 0; y < 52; ++y)
    for (int x = 0; x < 260; ++x) {
      const bool same = std::equal(plain.at(x, y), plain.at(x, y) + 4, shiny.at(x, y));
      if (y >= 13 && y <= 39) {
        ASSERT_TRUE(same) << x << "," << y;
      }
      if (!same) ++glossed;
    }
  EXPECT_GT(glossed, 500) << "the gloss is there, above the caption";
}

TEST_F(Picgen, RotationTurnsTheShape) {
  Image image = draw({"60", "60", "cross", "0xffffffff", "--thickness", "12"});
  EXPECT_EQ(image.alpha(30, 3), 255);
  EXPECT_EQ(image.alpha(8, 8), 0);
  image = draw({"60", "60", "cross", "0xffffffff", "--thickness", "12", "--rotate", "45"});
  EXPECT_EQ(image.alpha(30, 3), 0);
  EXPECT_EQ(image.alpha(12, 12), 255);
}

TEST_F(Picgen, BadCommandLinesAreRefusedWithAMessage) {
  const std::vector<std::vector<std::string>> bad{
      {},
      {"10", "10", "rect"},
      {"0", "10", "rect", "0xffffffff"},
      {"10", "ten", "rect", "0xffffffff"},
      {"99999", "10", "rect", "0xffffffff"},
      {"10", "10", "blob", "0xffffffff"},
      {"10", "10", "rect", "red"},
      {"10", "10", "rect", "0xfffffff"},
      {"10", "10", "rect", "0xffffffff", "--outline", "0x000000ff"},
      {"10", "10", "rect", "0xffffffff", "--points", "1"},
      {"10", "10", "rect", "0xffffffff", "--radius", "x"},
      {"10", "10", "rect", "0xffffffff", "--sparkle"}};
  for (auto args : bad) {
    args.insert(args.begin(), {test_support::built_program("picgen"), scratch.file("bad.png")});
    const auto result = test_support::run_process(args);
    EXPECT_EQ(result.exit_code, 2) << args.size();
    EXPECT_NE(result.err.find("picgen: "), std::string::npos);
    EXPECT_NE(result.err.find("usage:"), std::string::npos);
    EXPECT_FALSE(std::ifstream(scratch.file("bad.png")).good());
  }
  const auto unwritable = test_support::run_process(
      {test_support::built_program("picgen"), scratch.file("no/folder/x.png"), "4", "4", "rect", "0xffffffff"});
  EXPECT_EQ(unwritable.exit_code, 1);
  EXPECT_NE(unwritable.err.find("cannot write"), std::string::npos);
}

TEST_F(Picgen, MakePicturesDrawsEveryListedPicture) {
  // The script with its own list replaced by a test list.
  std::ifstream source(std::string(TARNVALE_SOURCE_DIR) + "/tools/make-pictures.sh");
  std::string script, line;
  while (std::getline(source, line) && line != "### pictures ###") script += line + "\n";
  ASSERT_TRUE(source) << "no list marker";
  scratch.write("tools/make-pictures.sh", script + line + "\n");
  scratch.write("tools/run-list.sh",
                test_support::read_file(std::string(TARNVALE_SOURCE_DIR) + "/tools/run-list.sh"));
  std::ofstream(scratch.file("tools/make-pictures.sh"), std::ios::app)
      << "# test group\n"
         "res/test/a.png 16 16 circle 0xff0000ff\n"
         "\n"
         "   # indented comment\n"
         "res/test/deeper/b.png 8 4 rect 0x00ff00ff --outline 0x000000ff 1\n";
  const std::vector<std::string> env{"PICGEN=" + test_support::built_program("picgen")};
  auto result = test_support::run_process({"bash", scratch.file("tools/make-pictures.sh")}, ".", 60, env);
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_NE(result.out.find("2 pictures written, 0 failed"), std::string::npos) << result.out;
  EXPECT_EQ(read_png(scratch.file("res/test/a.png")).width, 16);
  EXPECT_EQ(read_png(scratch.file("res/test/deeper/b.png")).height, 4);

  std::ofstream(scratch.file("tools/make-pictures.sh"), std::ios::app) << "res/test/c.png 8 8 blob 0xffffffff\n";
  result = test_support::run_process({"bash", scratch.file("tools/make-pictures.sh")}, ".", 60, env);
  EXPECT_NE(result.exit_code, 0);
  EXPECT_NE(result.err.find("failed: res/test/c.png"), std::string::npos) << result.err;
}
