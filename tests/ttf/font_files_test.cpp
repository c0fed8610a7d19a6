// Font files that are missing, empty, cut off or not fonts at all, and the fuzzer's findings.

#include <dirent.h>

#include <random>

#include "renderer_fixture.h"
#include "scratch.h"

namespace {

std::vector<std::string> files_in(const std::string& folder) {
  std::vector<std::string> paths;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir))
      if (entry->d_name[0] != '.') paths.push_back(folder + "/" + entry->d_name);
    closedir(dir);
  }
  return paths;
}

bool is_load_failure_text(const std::string& error, const std::string& path) {
  return error == "Unknown file format: \"" + path + "\"" ||
         error == "Cant open file, or file is broken: \"" + path + "\"";
}

}  // namespace

class FontFilesTest : public RendererTest {
protected:
  // Loads the file under a new alias and, when that works, renders a fixed text with it.
  void load_and_render(const std::string& path) {
    const std::string alias = "f" + std::to_string(++fonts_);
    if (!renderer.load_font(alias, path, &files)) {
      EXPECT_TRUE(is_load_failure_text(renderer.get_error(), path)) << renderer.get_error();
      return;
    }
    for (int size : {1, 16, 64}) {
      std::vector<int> codes = {'A', 'g', '\\', 'n', 0xE9, 0x20AC, 0x1F600, '_', ' ', 0xFFFF};
      renderer.render_text("MemVideo", alias, &codes, make_color(255, 255, 255, 255), size,
                           "fuzzed", "fonts", true, nullptr);
    }
  }

  test_support::ScratchDir scratch;
  int fonts_ = 0;
};

// The error once kept the previous text, so the start-up line ended in nothing.
TEST_F(FontFilesTest, AMissingOrUnreadableFileFailsWithItsNameAndReason) {
  std::vector<int> codes = {'a'};
  const std::string missing = scratch.file("no-such-font.ttf");
  EXPECT_FALSE(renderer.load_font("Other", missing, &files));
  EXPECT_EQ(renderer.get_error(), "Cant open file, or file is broken: \"" + missing + "\": " + missing +
                                      ": No such file or directory");
  EXPECT_FALSE(renderer.load_font("Folder", scratch.path(), &files));
  EXPECT_EQ(renderer.get_error().rfind("Cant open file, or file is broken: \"" + scratch.path() + "\": ", 0), 0u)
      << renderer.get_error();
  EXPECT_FALSE(renderer.render_text("MemVideo", "Other", &codes, make_color(255, 255, 255, 255),
                                    16, "s", "g", true, nullptr));
}

TEST_F(FontFilesTest, FilesThatAreNoFontsFailWithTheirName) {
  const std::string empty = scratch.write("empty.ttf", "");
  EXPECT_FALSE(renderer.load_font("Empty", empty, &files));
  EXPECT_TRUE(is_load_failure_text(renderer.get_error(), empty)) << renderer.get_error();

  std::mt19937 random(7);
  std::string noise(4096, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  const std::string garbage = scratch.write("noise.ttf", noise);
  EXPECT_FALSE(renderer.load_font("Noise", garbage, &files));
  EXPECT_EQ(renderer.get_error(), "Unknown file format: \"" + garbage + "\"");

  const std::string text = scratch.write("readme.ttf", "This is not a font.\n");
  EXPECT_FALSE(renderer.load_font("Text", text, &files));
  EXPECT_TRUE(is_load_failure_text(renderer.get_error(), text)) << renderer.get_error();

  EXPECT_FALSE(renderer.load_font("NoManager", shipped_font(), nullptr));
  EXPECT_EQ(renderer.get_error(), "No file manager to read \"" + shipped_font() + "\"");
}

TEST_F(FontFilesTest, CutOffFontsFailOrRenderWithoutHarm) {
  const std::string font = test_support::read_file(shipped_font());
  ASSERT_GT(font.size(), 700000u);
  for (size_t cut : {4u, 12u, 200u, 1000u, 20000u, 300000u, 700000u})
    load_and_render(scratch.write("cut" + std::to_string(cut) + ".ttf", font.substr(0, cut)));
  // A header that promises tables far past the end of the file.
  std::string lying = font.substr(0, 4096);
  for (size_t at = 12; at + 16 <= 4096; at += 16) lying[at + 8] = '\x7f';
  load_and_render(scratch.write("lying.ttf", lying));
}

TEST_F(FontFilesTest, ASecondFontUnderTheSameAliasIsIgnored) {
  std::vector<unsigned char> before;
  {
    Video_Surface* s = render("Same", 20);
    ASSERT_NE(s, nullptr);
    const auto* data = static_cast<const unsigned char*>(s->_get_surface_data());
    before.assign(data, data + s->_get_pitch() * s->_get_height());
  }
  EXPECT_TRUE(renderer.load_font("Sans", shipped_font(), &files));
  Video_Surface* s = render("Same", 20);
  ASSERT_NE(s, nullptr);
  const auto* data = static_cast<const unsigned char*>(s->_get_surface_data());
  EXPECT_EQ(std::vector<unsigned char>(data, data + s->_get_pitch() * s->_get_height()), before);
}

TEST_F(FontFilesTest, FuzzFindingsAndCorpusReplayWithoutHarm) {
  const std::string root = std::string(TARNVALE_SOURCE_DIR) + "/tests/fuzz/ttf/";
  std::vector<std::string> inputs = files_in(root + "corpus");
  for (const std::string& found : files_in(root + "regressions")) inputs.push_back(found);
  ASSERT_FALSE(inputs.empty());
  for (const std::string& input : inputs) {
    SCOPED_TRACE(input);
    load_and_render(input);
  }
}

TEST_F(FontFilesTest, OneBitStrikesAreDrawnFullyCoveredAtTheirOwnSizeOnly) {
  const std::string bdf = std::string(TARNVALE_SOURCE_DIR) + "/tests/fuzz/ttf/corpus/tiny-strike.bdf";
  ASSERT_TRUE(renderer.load_font("Tiny", bdf, &files)) << renderer.get_error();
  std::vector<int> codes = {'A'};
  const VideoColor white = make_color(255, 255, 255, 255);
  ASSERT_TRUE(renderer.render_text("MemVideo", "Tiny", &codes, white, 8, "tiny", "g", true, nullptr))
      << renderer.get_error();
  Video_Surface* s = video->_get_surface("tiny", "g");
  ASSERT_EQ(s->_get_width(), 8);   // its advance, as wide as its ink
  ASSERT_EQ(s->_get_height(), 8);  // the font's 7 rows above the baseline and 1 below
  // Bitmap rows top to bottom: 18 24 42 42 7E 42 42 00; the top row lands on row 7.
  const char* expected[] = {"........", ".#....#.", ".#....#.", ".######.",
                            ".#....#.", ".#....#.", "..#..#..", "...##..."};
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(pixel(s, x, y)[3], expected[y][x] == '#' ? 255 : 0) << x << "," << y;

  EXPECT_FALSE(renderer.render_text("MemVideo", "Tiny", &codes, white, 16, "tiny", "g", true, nullptr));
  EXPECT_EQ(renderer.get_error(), "Error setting face size");
}
