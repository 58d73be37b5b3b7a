// Every frame of the show stays the same, pixel for pixel: a fixed set of passes across the whole
// show is drawn by the offline renderer and compared, by digest, with the frames recorded in
// frame_digests.txt; a handful of them also as a 1920x1080 video frame (the picture 2.25 times as
// large, between black bars), recorded in frame_digests_1920x1080.txt. Re-record (only when a
// picture is meant to change) with
//   KK_RECORD_FRAME_DIGESTS=1 ctest --test-dir build/release -R FrameIdentity
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/build_paths.h"
#include "tests/support/child_process.h"

namespace {

// Show times (60 passes per second) chosen so that every layer, fade and flash is drawn at least
// once, with runs of consecutive passes where one frame could lean on what the last one left.
const std::vector<double> FRAME_TIMES = {
    0.0,                                // first pass: no beat counted yet, no figure
    0.95, 1.40, 1.85, 2.30,             // beat pictures right, none, left, none
    3.0, 6.5, 9.0, 11.5, 13.0,          // glow and stars fading in, the figure approaching
    14.5, 15.5,                         // the upper bubble opening
    16.25,                              // the first special picture
    20.0, 20.0167, 20.0334, 20.05,      // text scrolling through the held bubble
    27.0, 28.5, 29.15, 29.8,            // closing; the second special picture
    30.5, 30.98,                        // the pause with the bubble shut; third special picture
    32.0, 40.0, 46.5, 47.5,             // the lower bubble
    50.0, 60.0, 69.5, 72.0,
    74.5, 75.0, 76.3, 78.1, 78.5, 78.8, // the spiral's flashes; at 78.8 one is negative, so none shows
    79.5, 80.0, 80.4334, 80.45, 80.4667, 80.4834, 80.5, 80.5167, 80.5334, 80.55,
    81.0, 82.1, 83.9, 85.7, 86.6, 87.1, 87.5,
    87.9833, 88.0,                      // the last pass of the early star field, the first of the late
    88.5, 89.0, 95.0, 100.0,            // the late, beat-pumped star field
    103.5, 104.5, 106.0, 112.0, 116.5, 118.5, 120.0, 130.0,
    136.5, 139.5,                       // stars fading out
    140.5, 141.5, 143.0, 145.0, 147.5,  // the clock no longer follows the music; glow fading
    147.7, 148.1333,                    // the figure throbs on the last beat before 148 s, not the first after
    148.2, 149.0, 150.75, 152.5, 153.4, 154.4,  // black background, calm figure, last message
};

// The HD frames: text scrolling, a special picture, a spiral flash, the late stars, the black end.
const std::vector<double> HD_FRAME_TIMES = {3.0, 20.0, 29.15, 80.0, 95.0, 150.75};

struct Digests {
  std::string glyphs;    // "glyphs <digest> <font file>"
  std::string renderer;  // "gl <renderer> / <version>"
  std::map<std::string, std::string> frames;  // pass -> "<digest> text|-"
};

Digests parse(const std::string& text) {
  Digests d;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("glyphs ", 0) == 0) d.glyphs = line;
    else if (line.rfind("gl ", 0) == 0) d.renderer = line;
    else if (line.size() > 7 && line[6] == ' ' && line.find_first_not_of("0123456789") == 6)
      d.frames[line.substr(0, 6)] = line.substr(7);
  }
  return d;
}

// Draws the frames at `times` at `size` and compares them with the ones recorded in `file`, at
// least `least` of them, or records them there when KK_RECORD_FRAME_DIGESTS is set.
void expectRecordedFrames(const std::string& fontConfig, const std::string& size, const std::vector<double>& times,
                          const std::string& file, size_t least) {
  std::vector<std::string> argv = {buildDirectory() + "/tools/render/kaikuranta-render", "--digest", "--size", size};
  for (double t : times) argv.insert(argv.end(), {"--at", std::to_string(t)});
  std::string output;
  EXPECT_EQ(runToEnd(argv, buildDirectory(), &output, {{"FONTCONFIG_FILE", fontConfig}}), 0) << output;
  const Digests now = parse(output);
  ASSERT_FALSE(now.glyphs.empty());
  const std::string referencePath = std::string(KK_SOURCE_DIR) + "/tests/render/" + file;
  if (std::getenv("KK_RECORD_FRAME_DIGESTS")) {
    std::ofstream out(referencePath);
    out << "# Digests of the frames FrameIdentity draws: the pass, the digest of its RGB bytes, and\n"
           "# \"text\" when the message bubble shows. Written by the test itself when\n"
           "# KK_RECORD_FRAME_DIGESTS is set, from code whose frames are known to be right.\n"
        << now.glyphs << "\n" << now.renderer << "\n";
    for (const auto& [pass, frame] : now.frames) out << pass << " " << frame << "\n";
    EXPECT_TRUE(out.good()) << referencePath;
    GTEST_SKIP() << "recorded " << now.frames.size() << " frames into " << referencePath;
  }

  std::ifstream in(referencePath);
  EXPECT_TRUE(in) << "no reference digests at " << referencePath;
  const Digests recorded = parse(std::string(std::istreambuf_iterator<char>(in), {}));
  EXPECT_EQ(recorded.frames.size(), now.frames.size())
      << "the reference holds other passes than the test draws: record it again from unchanged code";

  // Frames with text can only match where the message glyphs are the ones recorded with.
  const bool sameGlyphs = recorded.glyphs == now.glyphs;
  if (!sameGlyphs) {
    std::printf("The message glyphs differ from the recorded ones (recorded: %s; here: %s): frames "
                "with text are not compared.\n", recorded.glyphs.c_str(), now.glyphs.c_str());
  }
  size_t compared = 0;
  std::string differing;
  for (const auto& [pass, expected] : recorded.frames) {
    if (!sameGlyphs && expected.find("text") != std::string::npos) continue;
    ++compared;
    // A pass not drawn at all differs too.
    if (now.frames.count(pass) == 0 || now.frames.at(pass) != expected) differing += " " + pass;
  }
  EXPECT_TRUE(differing.empty()) << referencePath << ": passes (60 a second) whose frame is not the recorded one:"
                                 << differing << "\nrecorded on " << recorded.renderer
                                 << "\ndrawn on    " << now.renderer;
  // Without the glyphs, the frames before the first message and in the pauses still count.
  EXPECT_GE(compared, least) << referencePath;
}

TEST(FrameIdentity, EveryFrameIsTheRecordedOne) {
  // The show asks fontconfig for a face it may or may not find; the test pins the answer to the
  // DejaVu files every machine of ours has, with the system's own matching rules.
  const TempDir dir("kk-fonts");
  const std::string fonts = dir.path + "/fonts.conf";
  std::ofstream(fonts) << "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
                          "<fontconfig>\n  <dir>/usr/share/fonts/truetype/dejavu</dir>\n"
                          "  <include ignore_missing=\"yes\">/etc/fonts/conf.d</include>\n"
                          "  <cachedir>" << dir.path << "/cache</cachedir>\n</fontconfig>\n";
  expectRecordedFrames(fonts, "640x480", FRAME_TIMES, "frame_digests.txt", 15);
  expectRecordedFrames(fonts, "1920x1080", HD_FRAME_TIMES, "frame_digests_1920x1080.txt", 1);
}

}  // namespace
