#include "tests/support/pulse_sink.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

PulseSink::PulseSink() {
  char dir[] = "/tmp/kk-pulse-XXXXXX";
  dir_ = mkdtemp(dir) ? dir : "/tmp";
  server_ = std::make_unique<ChildProcess>(
      std::vector<std::string>{"/usr/bin/pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                               "--use-pid-file=no", "--system=no", "--disable-shm=true",
                               "-L", "module-null-sink sink_name=kk rate=44100 channels=2",
                               "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + dir_ + "/native"},
      dir_, std::map<std::string, std::string>{{"PULSE_RUNTIME_PATH", dir_}, {"PULSE_STATE_PATH", dir_}, {"HOME", dir_}});
  // The socket appears once the sink, loaded before it, is there.
  within(10, [&] { return ok(); });
}

PulseSink::~PulseSink() {
  recorder_.reset();
  server_.reset();
  if (dir_ != "/tmp") std::filesystem::remove_all(dir_);
}

bool PulseSink::ok() const { return dir_ != "/tmp" && std::filesystem::exists(dir_ + "/native"); }

void PulseSink::hold(bool on) { server_->signal(on ? SIGSTOP : SIGCONT); }

void PulseSink::record() {
  recorder_ = std::make_unique<ChildProcess>(
      std::vector<std::string>{"/bin/sh", "-c",
                               "exec parec -d kk.monitor --raw --format=s16le --rate=44100 --channels=2 "
                               "--latency-msec=10 >'" + recording() + "'"},
      dir_, std::map<std::string, std::string>{{"PULSE_SERVER", address()}});
}

std::vector<int16_t> PulseSink::stopRecording() {
  recorder_.reset();
  return recorded();
}

std::vector<int16_t> PulseSink::recorded() const {
  std::ifstream in(recording(), std::ios::binary);
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<int16_t> samples(bytes.size() / 4 * 2);
  if (!samples.empty()) std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
  return samples;
}

size_t firstLoudFrame(const std::vector<int16_t>& stereo) {
  for (size_t i = 0; i < stereo.size(); i += 2) {
    if (std::abs(stereo[i]) > 200) return i / 2;
  }
  return stereo.size() / 2;
}
