#pragma once
// The show on a replayed clock: the real start-up and the real frame and timing code in a
// headless GL context of the frame's size (frameSize(), 640x480 unless set before start) or a
// larger one with the frame in its middle, as a desktop-sized window has it, pass k
// of the loop at show time floor(k x 1000 / fps) ms, the music position following the same
// clock. The same arguments always give the same frames. Program thread.
#include <cstdint>
#include <string>
#include <vector>

class OfflineRenderer {
 public:
  // Checks the data files, opens the context, runs the show's start-up at time 0. The context is
  // `width` x `height` with the frame placed in its middle and black bars around it, or the
  // frame's own size when they are 0.
  bool start(int fps, std::string* error, int width = 0, int height = 0);

  int fps() const { return fps_; }
  int64_t nextPass() const { return pass_; }
  bool ended() const { return ended_; }
  // The pass drawn at `seconds` of show time.
  int64_t passAt(double seconds) const { return passAt(seconds, fps_); }
  static int64_t passAt(double seconds, int fps);
  // The last pass the show draws at `fps` passes a second: on the next its clock has passed
  // 154.5 s.
  static int64_t lastPass(int fps);

  // Frames come back as BGRA rows instead of RGBA: the order the driver keeps them in, read
  // without a conversion.
  void readBgra(bool on) { bgra_ = on; }
  // Frames come back as the picture alone, without the bars around it.
  void readPictureAlone(bool on) { pictureAlone_ = on; }

  // Runs passes until `pass` has run; passes before it only advance the show's state unless
  // `drawEveryPass`. The frame of `pass` is drawn and the RGBA rows (bottom row first) of the
  // whole context go to `rgba`. False when the show ended first (or `pass` already ran).
  bool runTo(int64_t pass, bool drawEveryPass, std::vector<uint8_t>* rgba);

  // Draws the frame of the pass that ran last once more, at the same show time, and reads it
  // back as runTo does; the milliseconds it took. Nothing of the show advances. For benchmarks.
  double drawAgain(std::vector<uint8_t>* rgba);

  // Milliseconds each drawn frame took, with the GL work finished.
  const std::vector<double>& frameMillis() const { return frameMillis_; }

 private:
  bool runPass(bool draw, std::vector<uint8_t>* rgba);
  // drawFrame and the read-back; the milliseconds taken, or a negative number once the show is over.
  double drawAndRead(std::vector<uint8_t>* rgba);

  int fps_ = 60;
  int64_t pass_ = 0;
  bool ended_ = false;
  bool bgra_ = false;
  bool pictureAlone_ = false;
  int width_ = 0, height_ = 0;
  std::vector<double> frameMillis_;
};

// A show time as the command line gives it: decimal digits with an optional fraction ("29",
// "150.75"). Anything else is refused: signs, spaces, exponents, hexadecimal, inf and nan.
bool parseShowTime(const char* text, double* seconds);

// A picture of the show placed in a frame of another shape: the largest 4:3 picture that fits,
// centred, with black bars on the two other sides (a 16:9 video's frame).
struct Placement {
  int width = 0, height = 0;                 // the whole frame
  int pictureWidth = 0, pictureHeight = 0;   // the show's frame inside it
  int left = 0, bottom = 0;                  // where the picture starts, from the lower left
};
// The placement for a frame of `width` x `height`; false, with the reason, when the picture that
// fits would be smaller or larger than the show can draw.
bool placePicture(int width, int height, Placement* placement, std::string* error);

// A 64-bit digest (FNV-1a) of the red, green and blue bytes of a frame's RGBA rows: the picture a
// viewer sees. The back buffer's alpha never reaches the screen, so it is left out.
uint64_t frameDigest(const std::vector<uint8_t>& rgba);

// A digest of the message font's glyph bitmaps and metrics as this machine rasterises them, and
// the font file they came from. Frames that show text are only comparable between machines whose
// glyph digests agree.
uint64_t glyphDigest(std::string* fontFile);
