// Both programs started from anywhere by their full paths: the renderer finds data/ beside it
// or where an installation puts it, as the show does with the same search; without it, the
// show's one line names what is missing and where it looked. And what they say without
// playing: --version and --help.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/show_files.h"
#include "tests/support/build_paths.h"
#include "tests/support/child_process.h"

namespace fs = std::filesystem;

static std::string build() { return fs::canonical(buildDirectory()).string(); }

// A folder of the temporary folder, with the program in bin/.
class ShowWindowFromAnywhere : public testing::Test {
 protected:
  ShowWindowFromAnywhere() { fs::create_directory(dir_ / "bin"); }
  TempDir scratch_{"kk-anywhere"};
  const fs::path dir_ = scratch_.path;
};

// Beside it in the build tree, and installed: the program in bin/, its data in share/kaikuranta/.
TEST_F(ShowWindowFromAnywhere, TheRendererStartedFromTheRootFindsItsDataBesideItOrInstalled) {
  fs::copy_file(build() + "/tools/render/kaikuranta-render", dir_ / "bin/kaikuranta-render");
  fs::create_directories(dir_ / "share/kaikuranta");
  fs::create_directory_symlink(build() + "/data", dir_ / "share/kaikuranta/data");
  for (const fs::path& renderer : {fs::path(build()) / "tools/render/kaikuranta-render", dir_ / "bin/kaikuranta-render"}) {
    const fs::path frames = dir_ / ("frames-" + renderer.parent_path().filename().string());
    std::string said;
    const std::vector<std::string> args = {renderer.string(), "--at", "29", "--out", frames.string()};
    EXPECT_EQ(runToEnd(args, "/", &said, {{"SDL_VIDEODRIVER", "offscreen"}}), 0) << said;
    EXPECT_TRUE(fs::is_regular_file(frames / "001740.png")) << said;
  }
}

// The working folder's data/ lacks two pictures, and nothing is beside the program or installed:
// the one line names the first of them and the three folders, before any window would open.
TEST_F(ShowWindowFromAnywhere, WithoutItsPicturesTheShowNamesTheFirstMissingAndTheFoldersSearched) {
  fs::copy_file(build() + "/kaikuranta", dir_ / "bin/kaikuranta");
  fs::copy(build() + "/data", dir_ / "data");
  fs::remove(dir_ / DATA_FIGURE);
  fs::remove(dir_ / DATA_BUBBLE);
  const std::string dir = dir_.string();
  std::string said;
  EXPECT_EQ(runToEnd({dir + "/bin/kaikuranta"}, dir, &said), 1) << said;
  EXPECT_EQ(said, "kaikuranta: cannot find the show's data: kasvot.jpg is missing from " + dir + "/data (searched " +
                      dir + "/data, " + dir + "/bin/data, " + dir + "/share/kaikuranta/data)\n");
}

TEST(ShowCommandLine, VersionHelpAndAnUnexpectedArgument) {
  std::string said;
  for (const fs::path program : {"kaikuranta", "tools/render/kaikuranta-render"}) {
    EXPECT_EQ(runToEnd({build() + "/" + program.string(), "--version"}, "/", &said), 0);
    EXPECT_EQ(said, program.filename().string() + " " KK_PROJECT_VERSION "\n");
  }

  // The keys, and the folders searched from here, in order.
  EXPECT_EQ(runToEnd({build() + "/kaikuranta", "--help"}, "/", &said), 0);
  const std::string parent = fs::path(build()).parent_path().string();
  size_t at = 0;
  for (const std::string& part : {std::string("Escape"), std::string("F1"), std::string("\n  /data\n"),
                                  "\n  " + build() + "/data\n", "\n  " + parent + "/share/kaikuranta/data\n",
                                  std::string("--desktop"), std::string("--window HEIGHT")}) {
    EXPECT_NE(at = said.find(part, at), std::string::npos) << part << " in:\n" << said;
  }

  EXPECT_EQ(runToEnd({build() + "/kaikuranta", "--frobnicate"}, "/", &said), 2);
  const std::string usage = " (usage: kaikuranta [--desktop | --window [HEIGHT] | --help | --version])\n";
  EXPECT_EQ(said, "kaikuranta: unexpected argument --frobnicate" + usage);
  EXPECT_EQ(runToEnd({build() + "/kaikuranta", "--desktop", "720"}, "/", &said), 2);
  EXPECT_EQ(said, "kaikuranta: unexpected argument 720" + usage);
  // Heights the frame cannot have, or that are not plain whole numbers.
  for (const char* height : {"479", "500", "4323", " 720", "0x2d0", "+720", ""}) {
    EXPECT_EQ(runToEnd({build() + "/kaikuranta", "--window", height}, "/", &said), 2) << height;
    EXPECT_NE(said.find(std::string("multiple of 3, not ") + height + " (usage"), std::string::npos) << said;
  }
}
