#include <gtest/gtest.h>

#include "handro/dynamic.h"
#include "scratch.h"
#include "vistrel/imageloader.h"

namespace {

using test_support::ScratchDir;

// Each test starts with no loaders and reads its files from a scratch folder.
class ImageLoaderRegistry : public testing::Test {
protected:
  void SetUp() override { files_.register_brannow(Brannow::CreatePosixFile); }
  void TearDown() override {
    for (const char* name : {"png", "jpg", "a", "b"}) imageloader_remove(name);
  }

  bool load(const std::string& file) {
    imageloader_seterror("");
    return imageloader_loadimage_noext("Video", file, "scene", "surface", &files_, 1);
  }
  std::string file(const std::string& name) { return dir_.write(name, "x"); }
  int live_loaders(const char* module) {
    auto f = reinterpret_cast<int (*)()>(module_get(module)->_symbol_get("testing_live_loaders"));
    return f();
  }

  ScratchDir dir_;
  Brannow::FileManager files_{100};
};

TEST_F(ImageLoaderRegistry, CreateRefusesATakenNameUnlessReplacing) {
  ASSERT_TRUE(imageloader_create("png", "libtesting_loader_a", false)) << imageloader_error();
  EXPECT_EQ(imageloader_error(), "");
  EXPECT_FALSE(imageloader_create("png", "libtesting_loader_b", false));
  EXPECT_EQ(imageloader_error(), "png already exist");
  const std::string picture = file("p.png");
  EXPECT_TRUE(load(picture));
  EXPECT_EQ(imageloader_error(), "a:" + picture + ";");  // the first loader stayed

  ASSERT_TRUE(imageloader_create("png", "libtesting_loader_b", true));
  EXPECT_EQ(live_loaders("libtesting_loader_a"), 0);  // the replaced one was destroyed
  EXPECT_TRUE(load(picture));
  EXPECT_EQ(imageloader_error(), "b:" + picture + ";");
  EXPECT_EQ(imageloader_version(), "2.0.0");
}

TEST_F(ImageLoaderRegistry, CreateFailuresCarryTheLoaderText) {
  EXPECT_FALSE(imageloader_create("png", "libtesting_absent", false));
  EXPECT_NE(imageloader_error().find("Couldn`t load library \"libtesting_absent\"\n"),
            std::string::npos);
  EXPECT_FALSE(imageloader_create("png", "libtesting_module", false));
  EXPECT_EQ(imageloader_error(), "There is no \"_get_imageloader\" in \"libtesting_module\"\n");
  EXPECT_FALSE(imageloader_create("png", "libtesting_loader_null", false));
  EXPECT_NE(imageloader_error().find("gave no instance"), std::string::npos);
  EXPECT_FALSE(imageloader_loadimage("png", "Video", file("x.png"), "s", "s", &files_, 1));
  EXPECT_EQ(imageloader_error(), "No such loader \"png\"");
}

TEST_F(ImageLoaderRegistry, LoadByExtensionCallsOnlyTheMatchingLoader) {
  imageloader_create("jpg", "libtesting_loader_a", false);
  imageloader_create("png", "libtesting_loader_b", false);
  const std::string picture = file("p.png");
  EXPECT_TRUE(load(picture));
  EXPECT_EQ(imageloader_error(), "b:" + picture + ";");
}

TEST_F(ImageLoaderRegistry, NameWithoutExtensionIsTriedWithEveryLoaderInNameOrder) {
  imageloader_create("png", "libtesting_loader_b", false);
  imageloader_create("jpg", "libtesting_loader_a", false);
  const std::string base = dir_.file("pic");  // the folder has no dot in its name
  ASSERT_EQ(base.find('.'), std::string::npos) << "scratch folder name has a dot";
  file("pic.png");
  EXPECT_TRUE(load(base));
  EXPECT_EQ(imageloader_error(),
            "No such loader \"" + base + "\"a:" + base + ".jpg;b:" + base + ".png;");

  EXPECT_FALSE(load(dir_.file("none")));
  EXPECT_NE(imageloader_error().find("b:" + dir_.file("none") + ".png;"), std::string::npos);

  // The extension is the file name's last one: dots before it, in the name or in the folders
  // ("./res/..."), once picked a loader named "2.png" or "/res/...".
  const std::string dotted = file("v1.2.png");
  EXPECT_TRUE(load(dotted));
  EXPECT_EQ(imageloader_error(), "b:" + dotted + ";");
  const std::string relative = "/." + dotted;
  EXPECT_TRUE(load(relative));
  EXPECT_EQ(imageloader_error(), "b:" + relative + ";");
  // A folder's dot is no extension of a file without one.
  dir_.write("d.x/pic.jpg", "x");
  EXPECT_TRUE(load(dir_.file("d.x/pic")));
  EXPECT_EQ(imageloader_error(), "No such loader \"" + dir_.file("d.x/pic") + "\"a:" + dir_.file("d.x/pic") + ".jpg;");
}

TEST_F(ImageLoaderRegistry, RemoveUnloadsButKeepsModulesStillInUse) {
  EXPECT_TRUE(imageloader_remove("png"));
  EXPECT_EQ(imageloader_error(), "");
  imageloader_create("a", "libtesting_loader_a", false);
  imageloader_create("b", "libtesting_loader_a", false);  // one module, two loaders
  EXPECT_EQ(live_loaders("libtesting_loader_a"), 2);
  EXPECT_TRUE(imageloader_remove("a"));
  EXPECT_EQ(imageloader_error(), "");
  // "b" still runs code of that module: it must still be there.
  EXPECT_TRUE(imageloader_loadimage("b", "Video", file("x.b"), "s", "s", &files_, 1));
  EXPECT_EQ(live_loaders("libtesting_loader_a"), 1);
  EXPECT_TRUE(imageloader_remove("b"));
  EXPECT_FALSE(imageloader_loadimage("b", "Video", file("x.b"), "s", "s", &files_, 1));
  // Created again after removal: loaded afresh.
  ASSERT_TRUE(imageloader_create("b", "libtesting_loader_a", false)) << imageloader_error();
  EXPECT_EQ(live_loaders("libtesting_loader_a"), 1);
}

}  // namespace
