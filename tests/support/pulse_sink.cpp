#include "tests/support/pulse_sink.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

PulseSink::PulseSink() {
  server_ = std::make_unique<ChildProcess>(
      std::vector<std::string>{"/usr/bin/pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                               "--use-pid-file=no", "--system=no", "--disable-shm=true",
                               "-L", "module-null-sink sink_name=kk rate=44100 channels=2",
                               "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + dir_ + "/native"},
      dir_, std::map<std::string, std::string>{{"PULSE_RUNTIME_PATH", dir_}, {"PULSE_STATE_PATH", dir_}, {"HOME", dir_}});
  // The socket appears once the sink, loaded before it, is there.
  within(UNTIL_TIMEOUT, [&] { return ok() || server_->wait(0); });
}

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
  size_t i = 0;
  while (i < stereo.size() && std::abs(stereo[i]) <= 200) i += 2;
  return i / 2;
}
