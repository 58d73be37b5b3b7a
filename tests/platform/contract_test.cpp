// The promises of the platform contract (platform/*.h), held once for every backend: this file
// runs natively on Linux and in the Windows test program under Wine. What only a backend's own
// system can arrange (a display, a sound device present, absent or held) comes first.
#ifdef _WIN32
#include <windows.h>
#else
#include <SDL.h>

#include "tests/support/xvfb.h"
#endif
#include "platform/gl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/display.h"
#include "platform/glyphs.h"
#include "platform/show_files.h"
#include "platform/sound.h"

namespace {

#ifdef _WIN32
// The test program's starter (tests/win/wine) runs it on an X server, the sound cases with a
// sound server and the message box case with no display: a process under Wine reaches the X
// server its starter named, whatever it changes in its own environment.
bool onADisplay() { return true; }
void hideDisplay() {}
void offerSoundDevice(bool) {}
// Asked on standard output, the starter stops the sound server (or lets it go on) and says so
// with a file in the working folder that is there while the server is held.
void holdSoundDevice(bool held) {
  std::printf("%s the sound device\n", held ? "hold" : "release");
  std::fflush(stdout);
  for (int waited = 0; (GetFileAttributesA("kk-sound-held") != INVALID_FILE_ATTRIBUTES) != held; waited += 5) {
    ASSERT_LT(waited, 60000) << "nobody holds the sound server";
    Sleep(5);
  }
}
#else
bool onADisplay() {
  static Xvfb x("640x480x24");  // for the rest of the process: SDL's video starts once
  return x.ok();
}
void hideDisplay() { unsetenv("DISPLAY"); }
void offerSoundDevice(bool present) { setenv("SDL_AUDIODRIVER", present ? "dummy" : "no-such-driver", 1); }
// The device's thread takes its lock before every buffer: held, the device takes no samples.
void holdSoundDevice(bool held) {
  SDL_AudioDeviceID output = 1;
  while (output < 64 && SDL_GetAudioDeviceStatus(output) == SDL_AUDIO_STOPPED) ++output;
  held ? SDL_LockAudioDevice(output) : SDL_UnlockAudioDevice(output);
}
#endif

// ---- Clock

// Successive readings, counted only while this thread ran without a break (readings under
// 0.3 ms apart): a busy machine that takes the core away loses readings, never steps.
// (The simulated clock is the shared code's, tested by tests/timing/demo_clock_test.cpp.)
TEST(ContractClock, CountsMillisecondsInStepsOfAFewWithTheMicrosecondClock) {
  const auto read = [] { return std::pair<uint32_t, uint64_t>{platform::milliseconds(), platform::monotonicMicros()}; };
  uint64_t runMicros = 0;
  int changes = 0, runs = 1;
  for (auto last = read(), now = last; runMicros < 300000; last = now) {
    now = read();
    const bool running = now.second - last.second < 300;
    runMicros += running ? now.second - last.second : 0;
    changes += running && now.first != last.first;
    runs += !running;
  }
  // A clock of 1 ms changes once a millisecond; Windows' default tick of 15.6 ms would not.
  EXPECT_GE(changes, int(runMicros / 4000)) << changes << " changes in " << runMicros << " us of running";
  EXPECT_LE(changes, int(runMicros / 1000) + runs) << "faster than the microsecond clock";
}

// ---- Message boxes

// Both kinds of box with no display, each answered as Escape would.
TEST(ContractMessageBox, WithNoDisplayTheTextGoesToStandardErrorAndEscapesAnswer) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  using platform::MessageAnswer, platform::MessageButtons, platform::MessageIcon, platform::messageBox;
  EXPECT_EXIT({
    hideDisplay();
    const MessageAnswer no = messageBox("Play?", "Asked", MessageButtons::YesNo, MessageIcon::Exclamation);
    const MessageAnswer ok = messageBox("Done.", "Told", MessageButtons::Ok, MessageIcon::Stop);
    std::fflush(stderr);
    std::_Exit(no == MessageAnswer::No && ok == MessageAnswer::Ok ? 0 : 1);
  }, ::testing::ExitedWithCode(0), "kaikuranta: Asked: Play\\?\\s+kaikuranta: Told: Done\\.");
}

// ---- Windows and contexts

// Two windows in turn, as an F1 toggle has them: what the first one's context made, the second
// one's draws; each window's class (where the system has one) is registered for it and given
// back after it, and every release the system is asked for is granted.
TEST(ContractWindow, OpensHiddenShowsActiveClosesAndItsObjectsOutliveIt) {
  ASSERT_TRUE(onADisplay());
  const unsigned char texel[4] = {10, 200, 30, 255};
  GLuint texture = 0, list = 0;
  for (int pass = 0; pass < 2; ++pass) {
    std::string why;
    ASSERT_TRUE(platform::videoStart(&why)) << why;
    // Opened hidden; shown, it is activated (waiting up to a minute for a slow system).
    platform::Window* w = platform::windowCreate("Contract", 128, 64, false, &why);
    ASSERT_NE(w, nullptr) << why;
    platform::Event e;
    while (platform::pollEvent(&e)) EXPECT_NE(e.kind, platform::EventKind::Activated) << "activated while hidden";
    platform::windowShow(w);
    for (const uint64_t shown = platform::monotonicMicros(); platform::monotonicMicros() - shown < 60000000;) {
      if (platform::pollEvent(&e) && e.kind == platform::EventKind::Activated) break;
      platform::sleepMs(1);
    }
    EXPECT_TRUE(e.kind == platform::EventKind::Activated && !e.minimised) << "not activated, or minimised";
    while (platform::pollEvent(&e)) continue;
    int width = 0, height = 0;
    platform::windowClientSize(w, &width, &height);
    EXPECT_EQ(std::make_pair(width, height), std::make_pair(128, 64));
    bool unshared = true;
    platform::GlContext* context = platform::contextCreate(w, &why, &unshared);
    ASSERT_TRUE(context != nullptr && !unshared) << why;
    ASSERT_TRUE(platform::contextMakeCurrent(w, context));
    if (pass == 0) {
      glGenTextures(1, &texture);
      glBindTexture(GL_TEXTURE_2D, texture);
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
      glNewList(list = glGenLists(1), GL_COMPILE);
      glBitmap(1, 1, 0, 0, 7.5f, 0, texel);  // a one-pixel glyph that moves the pen on
      glEndList();
    } else {
      unsigned char back[4] = {};
      glBindTexture(GL_TEXTURE_2D, texture);
      glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, back);
      EXPECT_TRUE(glIsTexture(texture) && std::equal(back, back + 4, texel));
      // The list runs: from the centre (identity matrices), the pen moves on by its advance.
      glRasterPos2i(0, 0);
      glCallList(list);
      GLfloat pen[4] = {};
      glGetFloatv(GL_CURRENT_RASTER_POSITION, pen);
      EXPECT_FLOAT_EQ(pen[0], 64 + 7.5f);
      EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
    platform::contextMakeCurrent(nullptr, nullptr);
    EXPECT_TRUE(platform::contextDelete(context));
    const platform::WindowRelease released = platform::windowDestroy(w);
    EXPECT_TRUE(released.drawableReleased && released.windowDestroyed);
    EXPECT_TRUE(platform::videoRelease());
    EXPECT_FALSE(platform::pollEvent(&e)) << "event " << int(e.kind) << " from a window already closed";
  }
  EXPECT_TRUE(platform::videoRelease()) << "nothing left to give back";
}

// ---- Glyphs

// Whatever face matched "Arial Black" (fonts differ between machines and systems), its bitmaps
// are packed bottom-up rows at the 35-pixel em.
TEST(ContractGlyphs, TheShowsFontIsPackedBottomUpAtItsEmHeight) {
  std::vector<platform::GlyphBitmap> glyphs;
  ASSERT_TRUE(platform::rasteriseGlyphs("Arial Black", 700, 35, 32, 96, &glyphs, nullptr));
  auto glyph = [&](char c) -> const platform::GlyphBitmap& { return glyphs[size_t(c - 32)]; };
  auto ink = [&](char c, int row) {  // the set bits of one row
    const int bytes = (glyph(c).width + 7) / 8;
    const auto count = [](int bits, uint8_t byte) { return bits + int(std::bitset<8>(byte).count()); };
    return std::accumulate(glyph(c).rows.begin() + row * bytes, glyph(c).rows.begin() + (row + 1) * bytes, 0, count);
  };
  for (char c = 32; c < 127; ++c) {
    EXPECT_GT(glyph(c).advance, 0) << c;
    ASSERT_EQ(glyph(c).rows.size(), size_t((glyph(c).width + 7) / 8 * glyph(c).height)) << c;  // whole bytes a row
  }
  // Capitals are about 0.7 em in any sans face (the bitmap as tall as the ink: an A's top and
  // bottom rows are inked); a bold one's A is about as wide as it advances.
  EXPECT_TRUE(glyph('A').height >= 20 && glyph('A').height <= 30) << glyph('A').height;
  EXPECT_TRUE(ink('A', 0) > 0 && ink('A', glyph('A').height - 1) > 0);
  EXPECT_TRUE(glyph('A').advance >= 0.5f * 35 && glyph('A').advance <= 35) << glyph('A').advance;
  EXPECT_LE(glyph('A').width, glyph('A').advance + 2);
  EXPECT_NEAR(glyph('A').originY, 0, 1) << "a capital sits on the baseline";
  EXPECT_GT(glyph('g').originY, 3) << "a descender reaches below it";
  // The first row stored is the bottom one: a T is wide on top, an L at the bottom.
  EXPECT_GT(ink('T', glyph('T').height - 1), 2 * ink('T', 0));
  EXPECT_GT(ink('L', 0), 2 * ink('L', glyph('L').height - 1));
}

// ---- Sound

double msSince(uint64_t micros) { return double(platform::monotonicMicros() - micros) / 1000.0; }

// A position and when it was read (or, for a seek, set): Reading{ms} takes the time it is made.
struct Reading {
  int ms;
  uint64_t micros = platform::monotonicMicros();
};

// Reads the position every 2 ms for `ms` after `from`: it never goes back, never runs ahead of
// the time since `from`, and moves between two readings by the time between them and at most
// 12 ms more (a device's step, smoothed). Returns the last reading.
Reading watch(platform::SoundStream* s, double ms, Reading from) {
  Reading previous = from;
  while (msSince(from.micros) < ms) {
    platform::sleepMs(2);
    const Reading now{platform::soundStreamGetTime(s)};
    EXPECT_GE(now.ms, previous.ms) << "went back";
    EXPECT_LE(now.ms - previous.ms, double(now.micros - previous.micros) / 1000 + 12) << "jumped";
    EXPECT_LE(now.ms - from.ms, msSince(from.micros) + 5) << "ahead of the sound";
    previous = now;
  }
  return previous;
}

void expectOneLine(const std::string& said, const std::string& naming) {
  EXPECT_NE(said.find(naming), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

// Playing silent on the millisecond clock: the position moves on exactly with it.
void expectOnTheClock(platform::SoundStream* s, int fromMs) {
  platform::soundStreamPlay(s);
  const uint32_t before = platform::milliseconds();
  platform::soundStreamSetTime(s, fromMs);
  const uint32_t after = platform::milliseconds();
  platform::sleepMs(150);
  const int elapsed = int(platform::milliseconds() - after), moved = platform::soundStreamGetTime(s) - fromMs;
  EXPECT_GE(moved, elapsed);
  EXPECT_LE(moved, int(platform::milliseconds() - before));
}

class ContractSound : public ::testing::Test {
 protected:
  void SetUp() override {
    offerSoundDevice(true);
    ASSERT_TRUE(platform::soundInit(44100)) << "no sound device";
  }
  void TearDown() override { platform::soundShutdown(); }
};

TEST_F(ContractSound, ThePositionFollowsTheDeviceSmoothlyAndSeeks) {
  ::testing::internal::CaptureStderr();
  platform::SoundStream* s = platform::soundStreamOpen(DATA_MUSIC);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  const Reading start{0};
  platform::soundStreamPlay(s);
  platform::soundStreamSetTime(s, 0);
  // Behind the sound by the output's latency, never in a device buffer's steps.
  EXPECT_GT(watch(s, 1500, start).ms, msSince(start.micros) / 2) << "does not follow the device";
  for (int to : {60000, 0, 3600000}) {  // forward, back, and far past the end of the music
    const Reading seek{to};
    platform::soundStreamSetTime(s, to);
    EXPECT_GE(platform::soundStreamGetTime(s), to);
    EXPECT_GT(watch(s, 600, seek).ms, to + msSince(seek.micros) / 2 - 100) << "after a seek to " << to;
  }

  // Music that is missing or no MP3 plays silent on the clock, after one line naming it.
  const char* junk = "kk-contract-junk.mp3";
  std::ofstream(junk, std::ios::binary) << std::string(20000, 'x');
  for (const char* path : {"no-such-folder/music.mp3", junk}) {
    ::testing::internal::CaptureStderr();
    platform::SoundStream* silent = platform::soundStreamOpen(path);
    expectOneLine(::testing::internal::GetCapturedStderr(), path);
    expectOnTheClock(silent, 1000);
  }
  std::remove(junk);
}

// Held, the device takes no samples: after the stall rule's wait the position goes on with the
// clock, with one line; let go, the device drives it again, so a second hold is noticed anew.
TEST_F(ContractSound, AStalledDeviceHandsThePositionToTheClockUntilItTakesSamplesAgain) {
  platform::SoundStream* s = platform::soundStreamOpen(DATA_MUSIC);
  platform::soundStreamPlay(s);
  platform::soundStreamSetTime(s, 0);
  platform::sleepMs(300);
  for (int stall = 0; stall < 2; ++stall) {
    const Reading from{platform::soundStreamGetTime(s)};
    ::testing::internal::CaptureStderr();
    holdSoundDevice(true);
    const uint64_t held = platform::monotonicMicros();
    const Reading during = watch(s, 600 + msSince(from.micros), from);
    holdSoundDevice(false);
    expectOneLine(::testing::internal::GetCapturedStderr(), "took no sound");
    // Standing still for the stall rule's 200 ms and a step of the device at most.
    EXPECT_GE(during.ms - from.ms, double(during.micros - held) / 1000 - 200 - 100);
    EXPECT_GT(watch(s, 400, during).ms, during.ms);
  }
}

TEST(ContractSilentSound, WithoutADeviceThePositionFollowsTheClock) {
  offerSoundDevice(false);
  platform::soundShutdown();  // so the next soundInit looks for a device
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(platform::soundInit(44100));
  expectOneLine(::testing::internal::GetCapturedStderr(), "plays silent");
  expectOnTheClock(platform::soundStreamOpen(DATA_MUSIC), 0);
  platform::soundShutdown();
}

}  // namespace
