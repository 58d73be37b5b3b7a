// The same frames on both systems: kaikuranta-render.exe under Wine (on a hidden WGL window)
// and the Linux kaikuranta-render draw the same pictures from the same data.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/build_paths.h"
#include "tests/win/wine/wine_session.h"

namespace {

// The frame lines of the renderer's --digest output ("<pass> <digest> text|-"). The fonts of the
// two systems may differ, so a frame with text keeps only its pass and that it shows text.
std::vector<std::string> frames(const std::string& output) {
  std::vector<std::string> lines;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() < 25 || line[6] != ' ' || line.find_first_not_of("0123456789") != 6) continue;
    if (line.substr(24) == "text") line.replace(7, 16, "(text)");
    lines.push_back(line);
  }
  return lines;
}

TEST(RendererUnderWine, DrawsTheLinuxFramesPixelForPixel) {
  // Without text: the opening, the early glow, and the pauses between two messages. With text:
  // 20 s, the first message in the upper bubble. At the show's own size, and as an HD video's
  // frame: the picture 2.25 times as large, placed between black bars.
  WineSession wine;
  ASSERT_TRUE(wine.ok());
  for (const char* size : {"640x480", "1920x1080"}) {
    SCOPED_TRACE(size);
    const std::vector<std::string> args = {"--size", size, "--digest", "--at", "0.5", "--at", "10", "--at", "30.5",
                                           "--at", "70.5", "--at", "20"};
    std::vector<std::string> linuxArgs = {buildDirectory() + "/tools/render/kaikuranta-render"};
    linuxArgs.insert(linuxArgs.end(), args.begin(), args.end());
    std::string linuxFrames;
    const int status = runToEnd(linuxArgs, buildDirectory(), &linuxFrames, {{"SDL_VIDEODRIVER", "offscreen"}});
    ASSERT_EQ(status, 0) << linuxFrames;
    ASSERT_EQ(frames(linuxFrames).size(), 5u) << linuxFrames;

    wine.start(windowsBuildDir() + "/tools/render/kaikuranta-render.exe", args, windowsBuildDir());
    ASSERT_EQ(wine.ended(UNTIL_TIMEOUT), 0) << wine.output();
    EXPECT_EQ(frames(wine.output()), frames(linuxFrames));
  }
}

}  // namespace
