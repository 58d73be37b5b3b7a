#pragma once
// A PulseAudio server of our own for tests of what reaches a real sound server: one null sink,
// reachable only through a socket in a folder of its own (so it runs beside any other, and as
// root), and what the sink plays recorded from its monitor as 16-bit stereo at 44100 Hz.
// Test thread only.
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

class PulseSink {
 public:
  PulseSink();  // waits until the server takes clients, or has ended
  bool ok() const { return std::filesystem::exists(dir_ + "/native"); }
  std::string address() const { return "unix:" + dir_ + "/native"; }  // for PULSE_SERVER
  std::string log() const { return server_->output(); }              // what the server said

  // Stops the server, as a sound card that hangs or is unplugged stops taking sound; and lets it
  // go on.
  void hold(bool on) { server_->signal(on ? SIGSTOP : SIGCONT); }

  void record();                          // from now on, until stopRecording()
  std::vector<int16_t> recorded() const;  // the frames recorded so far, interleaved
  std::vector<int16_t> stopRecording();   // and all of them

 private:
  std::string recording() const { return dir_ + "/recording.raw"; }

  // Removed once the server and the recorder, ended in turn, have left it.
  const TempDir scratch_{"kk-pulse"};
  const std::string dir_ = scratch_.path;
  std::unique_ptr<ChildProcess> server_, recorder_;
};

// The first stereo frame whose left sample stands clear of silence (beyond 200), or the number
// of frames when none does: where music starts in a recording.
size_t firstLoudFrame(const std::vector<int16_t>& stereo);
