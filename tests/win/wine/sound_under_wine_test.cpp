// kaikuranta.exe's music reaching a real sound server: Wine's waveOut into a PulseAudio null
// sink, recorded from the sink's monitor and laid against the decoded MP3.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "platform/mp3_decoder.h"
#include "tests/win/wine/wine_session.h"

namespace {

constexpr int RATE = 44100;

// The stereo frames without the runs of exact silence a sound server plays when its client
// has not kept up (music never holds both channels at exactly 0 for 1.5 ms); the milliseconds
// taken out go to `removedMs`.
std::vector<int16_t> withoutDropouts(const std::vector<int16_t>& stereo, double* removedMs) {
  const size_t frames = stereo.size() / 2;
  std::vector<int16_t> out;
  size_t removed = 0;
  for (size_t i = 0; i < frames;) {
    size_t run = 0;
    while (i + run < frames && stereo[2 * (i + run)] == 0 && stereo[2 * (i + run) + 1] == 0) ++run;
    if (run >= 64) {
      removed += run;
    } else {
      out.insert(out.end(), stereo.begin() + long(2 * i), stereo.begin() + long(2 * (i + std::max<size_t>(run, 1))));
    }
    i += std::max<size_t>(run, 1);
  }
  *removedMs = 1000.0 * double(removed) / RATE;
  return out;
}

size_t firstLoud(const std::vector<int16_t>& stereo) {
  for (size_t i = 0; i < stereo.size(); i += 2) {
    if (std::abs(stereo[i]) > 200) return i / 2;
  }
  return stereo.size() / 2;
}

// A PulseAudio server of our own with one null sink, reachable only through its own socket.
class SoundServer {
 public:
  SoundServer() : dir_(std::filesystem::temp_directory_path() / ("kk-pulse-" + std::to_string(getpid()))) {
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    server_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/bin/pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                                 "--disable-shm=true", "-L", "module-null-sink sink_name=kknull rate=44100",
                                 "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + socket()},
        dir_.string(), std::map<std::string, std::string>{{"PULSE_RUNTIME_PATH", dir_.string()}, {"HOME", dir_.string()}});
    within(10, [&] { return std::filesystem::exists(socket()); });
  }
  ~SoundServer() {
    recorder_.reset();
    server_.reset();
    std::filesystem::remove_all(dir_);
  }
  bool ok() const { return std::filesystem::exists(socket()); }
  std::string socket() const { return (dir_ / "native").string(); }
  std::string address() const { return "unix:" + socket(); }
  std::string recording() const { return (dir_ / "recording.raw").string(); }

  // Records what the sink plays, as 16-bit stereo at 44100 Hz, until the recorder is stopped.
  void record() {
    recorder_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/bin/sh", "-c",
                                 "exec parec -d kknull.monitor --raw --format=s16le --rate=44100 --channels=2 "
                                 ">'" + recording() + "'"},
        dir_.string(), std::map<std::string, std::string>{{"PULSE_SERVER", address()}});
  }
  std::vector<int16_t> stopRecording() {
    recorder_.reset();
    std::ifstream in(recording(), std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
  }

 private:
  std::filesystem::path dir_;
  std::unique_ptr<ChildProcess> server_;
  std::unique_ptr<ChildProcess> recorder_;
};

TEST(SoundUnderWine, TheFirstSecondsReachTheServerAsTheMusicInOrder) {
  std::vector<int16_t> music;
  std::string why;
  ASSERT_TRUE(platform::decodeMp3File((windowsBuildDir() + "/data/diskolumi2.mp3").c_str(), RATE, &music, &why)) << why;

  SoundServer sound;
  ASSERT_TRUE(sound.ok());
  sound.record();
  WineSession wine;
  ASSERT_TRUE(wine.ok());
  wine.start(windowsBuildDir() + "/kaikuranta.exe", {}, windowsBuildDir(), {{"PULSE_SERVER", sound.address()}});
  const Window w = wine.waitForWindow("Kaikuranta", 60);
  ASSERT_NE(w, 0u) << wine.output();
  ASSERT_TRUE(wine.drawsWithin(w, 30)) << wine.output();
  sleep(7);
  wine.press(w, "Escape");
  EXPECT_EQ(wine.ended(10), 0) << wine.output();
  EXPECT_EQ(wine.output(), "");  // a device was found: nothing to say
  // On a busy machine Wine's sound thread can miss its turn, and the server fills in silence;
  // taken out, what remains is every sample the show handed over, in order.
  double dropoutMs = 0;
  const std::vector<int16_t> heard = withoutDropouts(sound.stopRecording(), &dropoutMs);
  ASSERT_GT(heard.size(), size_t(2 * RATE * 4.2)) << "recorded " << heard.size() / 2 << " frames";
  RecordProperty("server_dropout_ms", int(dropoutMs));

  // Every 50 ms of the recording, for the first four seconds, begins with a piece of the music
  // found sample for sample (so at its own rate and level) where the piece before it leads one
  // to expect it, or a little later: the music, in order, nothing repeated. Where the server ran
  // dry (a busy machine keeps Wine's sound thread waiting) it skips ahead to keep its latency,
  // so the pieces may slip forward, by less than a second in all.
  const size_t heardStart = firstLoud(heard);
  const size_t window = RATE / 20;
  long previousMatch = -1;     // the music frame the last piece found began with
  size_t previousAt = heardStart;  // and where in the recording that was
  long slipFrames = 0;
  int found = 0, pieces = 0;
  for (size_t at = heardStart; at + window < heardStart + size_t(4 * RATE); at += window, ++pieces) {
    const long expected = previousMatch < 0 ? long(at - heardStart) : previousMatch + long(at - previousAt);
    const long lo = std::max(0L, expected - 64);
    const long hi = expected + long(RATE);
    long match = -1;
    for (long m = lo; m <= hi && match < 0 && size_t(m + 16) * 2 < music.size(); ++m) {
      bool same = true;
      for (long k = 0; k < 16 && same; ++k) {
        same = std::abs(music[size_t(2 * (m + k))] - heard[2 * (at + size_t(k))]) <= 2 &&
               std::abs(music[size_t(2 * (m + k)) + 1] - heard[2 * (at + size_t(k)) + 1]) <= 2;
      }
      if (same) match = m;
    }
    if (match < 0) continue;
    ++found;
    slipFrames += std::max(0L, match - expected);
    previousMatch = match;
    previousAt = at;
  }
  RecordProperty("skipped_ms", int(1000 * slipFrames / RATE));
  // A piece that straddles a skip is found in neither place; most are found.
  EXPECT_GE(found, pieces * 8 / 10) << found << " of " << pieces << " pieces of the music were heard";
  EXPECT_LT(slipFrames, long(RATE)) << "the server skipped " << 1000 * slipFrames / RATE << " ms";
}

// The Windows test program's check of the music position, on a device that really plays.
TEST(SoundUnderWine, PositionFollowsTheDevice) {
  SoundServer sound;
  ASSERT_TRUE(sound.ok());
  WineSession wine;
  ASSERT_TRUE(wine.ok());
  wine.start(windowsBuildDir() + "/tests/win_unit_tests.exe", {"--gtest_filter=WindowsSound.*"}, windowsBuildDir(),
             {{"PULSE_SERVER", sound.address()}});
  EXPECT_EQ(wine.ended(120), 0) << wine.output();
  EXPECT_NE(wine.output().find("[  PASSED  ] 1 test"), std::string::npos) << wine.output();
}

}  // namespace
