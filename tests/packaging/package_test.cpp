// The Debian packages: built with CPack from this build, checked by Debian's own tools, unpacked
// with dpkg -x into a scratch root and used from there: the launcher starts the game from its data
// folder, with the font of the package it depends on, or a game folder it is given; the
// development package builds the example game against that root alone.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cctype>
#include <filesystem>
#include <sstream>

#include "process.h"
#include "scratch.h"

using ::testing::HasSubstr;
using ::testing::Not;
using test_support::read_file;
using test_support::run_process;

namespace {

const std::vector<std::string> ENV = {"ASAN_OPTIONS=detect_leaks=0"};
const std::string SYSTEM_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// Built once for the whole suite: packing takes a while.
class Package : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    scratch = new test_support::ScratchDir();
    const auto packed = run_process({CPACK_COMMAND, "-G", "DEB", "--config",
                                     std::string(TARNVALE_BINARY_DIR) + "/CPackConfig.cmake", "-B",
                                     scratch->file("out")},
                                    scratch->path(), 600);
    pack_log = packed.out + packed.err;
    for (const auto& entry : std::filesystem::directory_iterator(scratch->file("out"))) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("tarnvale_", 0) == 0) deb = entry.path();
      if (name.rfind("tarnvale-dev_", 0) == 0) dev_deb = entry.path();
    }
    for (const std::string& package : {deb, dev_deb})
      if (!package.empty()) run_process({"dpkg", "-x", package, scratch->file("root")}, scratch->path(), 120);
  }
  static void TearDownTestSuite() {
    delete scratch;
    scratch = nullptr;
  }
  void SetUp() override {
    ASSERT_FALSE(deb.empty()) << pack_log;
    ASSERT_FALSE(dev_deb.empty()) << pack_log;
  }

  static std::string installed(const std::string& path) { return scratch->file("root/usr/" + path); }
  static std::string field(const std::string& name, const std::string& package = deb) {
    return run_process({"dpkg-deb", "-f", package, name}, scratch->path(), 60).out;
  }
  static std::string unzipped(const std::string& path) {
    return run_process({"gzip", "-dc", installed(path)}, scratch->path(), 60).out;
  }

  static test_support::ScratchDir* scratch;
  static std::string deb, dev_deb, pack_log;
};

test_support::ScratchDir* Package::scratch = nullptr;
std::string Package::deb, Package::dev_deb, Package::pack_log;

bool executable(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && (info.st_mode & S_IXUSR) != 0;
}

TEST_F(Package, HoldsTheGameItsLibrariesDataLauncherDesktopEntryAndIcon) {
  EXPECT_EQ(field("Package"), "tarnvale\n");
  EXPECT_EQ(field("Section"), "games\n");
  EXPECT_THAT(field("Depends"), HasSubstr("libbox2d"));
  EXPECT_THAT(field("Depends"), HasSubstr("libglfw3"));
  EXPECT_THAT(field("Depends"), HasSubstr("fonts-dejavu-core"));

  EXPECT_TRUE(executable(installed("games/tarnvale")));
  EXPECT_TRUE(executable(installed("lib/games/tarnvale/tarnvale")));
  for (const char* module : {"libvoskar", "libpanolet", "libquorra", "libGL_tessar", "libheadless_tessar",
                             "libmordent", "libgrisk_png", "libgrisk_jpg", "libAL_chime",
                             "libchime_wav", "libchime_ogg"})
    EXPECT_TRUE(std::filesystem::exists(installed("lib/games/tarnvale/") + module + ".so")) << module;
  EXPECT_TRUE(std::filesystem::exists(installed("share/games/tarnvale/res/scenes.scns")));
  // The font is Debian's, named by the installed settings, not a copy of its own.
  EXPECT_THAT(read_file(installed("share/games/tarnvale/cfg/Game.cfg")),
              HasSubstr("\n\t\tsource " + SYSTEM_FONT + "\n"));
  EXPECT_FALSE(std::filesystem::exists(installed("share/games/tarnvale/res/fonts")));

  const std::string entry = read_file(installed("share/applications/tarnvale.desktop"));
  EXPECT_THAT(entry, HasSubstr("\nExec=tarnvale\n"));
  EXPECT_THAT(entry, HasSubstr("\nIcon=tarnvale\n"));
  // A PNG whose header says 64 x 64.
  const std::string icon = read_file(installed("share/icons/hicolor/64x64/apps/tarnvale.png"));
  ASSERT_GE(icon.size(), 24u);
  EXPECT_EQ(icon.substr(1, 3), "PNG");
  EXPECT_EQ(icon.substr(16, 8), std::string("\0\0\0\x40\0\0\0\x40", 8));
}

TEST_F(Package, PassesLintianAndTheDesktopEntryAndAppStreamValidators) {
  const auto lint = run_process({"lintian", "--fail-on", "error,warning", deb, dev_deb}, scratch->path(), 600);
  EXPECT_EQ(lint.exit_code, 0) << lint.out << lint.err;
  EXPECT_THAT(lint.out, Not(HasSubstr("E: "))) << lint.out;
  EXPECT_THAT(lint.out, Not(HasSubstr("W: "))) << lint.out;

  const auto desktop =
      run_process({"desktop-file-validate", installed("share/applications/tarnvale.desktop")}, "/", 60);
  EXPECT_EQ(desktop.exit_code, 0) << desktop.out << desktop.err;
  EXPECT_EQ(desktop.out, "");

  const std::string metainfo = installed("share/metainfo/org.example.tarnvale.metainfo.xml");
  const auto appstream = run_process({"appstreamcli", "validate", "--no-net", metainfo}, "/", 120);
  EXPECT_EQ(appstream.exit_code, 0) << appstream.out << appstream.err;
  EXPECT_THAT(read_file(metainfo), HasSubstr(">tarnvale.desktop</launchable>"));
  EXPECT_THAT(read_file(metainfo), HasSubstr("<screenshot type=\"default\">"));
}

TEST_F(Package, TheChangelogAndTheAppStreamReleaseCarryThePackagesVersion) {
  std::string version = field("Version");
  ASSERT_FALSE(version.empty());
  version.pop_back();
  EXPECT_EQ(unzipped("share/doc/tarnvale/changelog.gz").rfind("tarnvale (" + version + ") ", 0), 0u);
  EXPECT_THAT(read_file(installed("share/metainfo/org.example.tarnvale.metainfo.xml")),
              HasSubstr("<release version=\"" + version + "\""));
}

TEST_F(Package, TheCheckerChecksTheInstalledDataClean) {
  ASSERT_TRUE(executable(installed("games/tarnvale-check")));
  // From elsewhere, given the folder; then from inside it, given nothing.
  const auto given = run_process({installed("games/tarnvale-check"), installed("share/games/tarnvale")}, "/",
                                 300, ENV);
  EXPECT_EQ(given.out, "");
  EXPECT_EQ(given.exit_code, 0) << given.err.substr(0, 2000);
  const auto inside = run_process({installed("games/tarnvale-check")}, installed("share/games/tarnvale"), 300, ENV);
  EXPECT_EQ(inside.exit_code, 0) << inside.err.substr(0, 2000);
  EXPECT_THAT(run_process({installed("games/tarnvale-check"), "--reference"}, "/", 60, ENV).out,
              HasSubstr("### `SceneSwitcher`"));
}

TEST_F(Package, TheLauncherRunsTheGameWindowlessFromItsDataFolderWithDebiansFont) {
  ASSERT_TRUE(std::filesystem::exists(SYSTEM_FONT)) << "fonts-dejavu-core is not installed";
  // The unpacked data is ours to change: no window, a hundred frames, a click on Play.
  const std::string video = installed("share/games/tarnvale/cfg/Video.cfg");
  std::string settings = read_file(video);
  const std::string driver = "Driver libGL_tessar";
  ASSERT_NE(settings.find(driver), std::string::npos);
  settings.replace(settings.find(driver), driver.size(),
                   "Driver libheadless_tessar\n\tFrames 100\n\tInputFile " +
                       scratch->write("input.txt", "5 mouse_press 0 0\n6 mouse_release 0 0\n") +
                       "\n\tTraceFile " + scratch->file("trace.txt"));
  scratch->write("root/usr/share/games/tarnvale/cfg/Video.cfg", settings);

  // Started from elsewhere, through a link, as a menu would.
  std::filesystem::create_symlink(installed("games/tarnvale"), scratch->file("play"));
  const auto game = run_process({scratch->file("play")}, "/", 300, ENV);
  EXPECT_EQ(game.exit_code, 0) << game.err.substr(0, 2000);
  EXPECT_THAT(game.out, HasSubstr("Headless video 800x600, 100 frames"));
  EXPECT_THAT(game.out, HasSubstr("Loading font: \"Font0\" from source: " + SYSTEM_FONT + "\n"));
  EXPECT_THAT(game.out, HasSubstr("INFO:Emitting object 0 at"));
  const std::string trace = read_file(scratch->file("trace.txt"));
  EXPECT_THAT(trace, HasSubstr("\nframe 100\n"));
  EXPECT_THAT(trace, HasSubstr(" game Stone0 "));
}

TEST_F(Package, TheDevelopmentPackageBuildsTheExampleGameAgainstTheUnpackedRootAlone) {
  EXPECT_EQ(field("Package", dev_deb), "tarnvale-dev\n");
  EXPECT_EQ(field("Section", dev_deb), "libdevel\n");
  std::string version = field("Version");
  ASSERT_FALSE(version.empty());
  version.pop_back();
  EXPECT_THAT(field("Depends", dev_deb), HasSubstr("tarnvale (= " + version + ")"));
  EXPECT_TRUE(std::filesystem::exists(installed("include/tarnvale/voskar/scene.h")));
  EXPECT_TRUE(std::filesystem::exists(installed("lib/" CMAKE_LIBRARY_ARCHITECTURE "/pkgconfig/tarnvale.pc")));

  // A copy outside the source tree, configured with nothing but the root to find the engine in.
  std::filesystem::copy(PEGFALL_SOURCE, scratch->file("pegfall"), std::filesystem::copy_options::recursive);
  const std::string build = scratch->file("pegfall-build");
  const auto configured = run_process(
      {CMAKE_COMMAND, "-S", scratch->file("pegfall"), "-B", build, "-G", "Ninja",
       "-DCMAKE_CXX_COMPILER=" CXX_COMPILER, "-DCMAKE_CXX_FLAGS=" SANITIZER_FLAGS,
       "-DCMAKE_MODULE_LINKER_FLAGS=" SANITIZER_FLAGS, "-DCMAKE_PREFIX_PATH=" + installed(""),
       "-DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF", "-DCMAKE_FIND_USE_SYSTEM_PACKAGE_REGISTRY=OFF"},
      scratch->path(), 300);
  ASSERT_EQ(configured.exit_code, 0) << configured.out << configured.err;
  EXPECT_THAT(read_file(build + "/CMakeCache.txt"),
              HasSubstr("Tarnvale_DIR:PATH=" + installed("lib/cmake/Tarnvale")));
  const auto built = run_process({CMAKE_COMMAND, "--build", build}, scratch->path(), 600);
  ASSERT_EQ(built.exit_code, 0) << built.out << built.err;

  // The launcher, given the folder, runs that game, not the shipped one; a file name stays the caller's.
  const auto game = run_process({installed("games/tarnvale"), "--headless", "--frames", "30", "--trace",
                                 "pegfall-trace.txt", build},
                                scratch->path(), 300, ENV);
  EXPECT_EQ(game.exit_code, 0) << game.err.substr(0, 2000);
  const std::string trace = read_file(scratch->file("pegfall-trace.txt"));
  EXPECT_THAT(trace, HasSubstr("\nframe 30\n"));
  EXPECT_THAT(trace, HasSubstr(" start_menu "));
}

TEST_F(Package, TheLauncherKnowsEveryOptionThatTakesAValue) {
  // It tells a folder from an option's value by the options --help shows a value for.
  const std::string launcher = read_file(installed("games/tarnvale"));
  const auto help = run_process({installed("lib/games/tarnvale/tarnvale"), "--help"}, "/", 60, ENV);
  std::istringstream lines(help.out);
  std::string valued;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string option, value;
    words >> option >> value;
    if (option.rfind("--", 0) == 0 && !value.empty() && std::isupper(static_cast<unsigned char>(value[0])))
      valued += (valued.empty() ? "" : "|") + option;
  }
  EXPECT_THAT(valued, HasSubstr("--scene|--frames"));
  EXPECT_THAT(launcher, HasSubstr("    " + valued + ") takes_value=yes"));
}

}  // namespace
