// Prints what loading one picture costs the show's start-up: the decode and the mipmapped upload
// through loadTexture, each in a fresh process on the headless context, as wall and CPU time and
// peak memory beyond a process that opened the context and loaded nothing. The show's own
// data/kasvot.jpg is the reference in every run. The cases are hostile files that declare huge
// pictures in a few bytes, and photo-like pictures of real sizes; files named on the command line
// are measured too. Run from the folder that holds data/; --large adds 16384-pixel photos.
#include "platform/gl.h"
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/textures.h"
#include "platform/headless_gl.h"
#include "tools/media_files/bytes_file.h"
#include "tools/media_files/crafted_jpeg.h"
#include "tools/media_files/jpeg_file.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Cost {
  int status = -1;
  double wallMs = 0;
  double cpuMs = 0;
  double peakMb = 0;
  std::string message;  // last line the child wrote on standard error
};

int doneSignal = -1;  // the child's end of the pipe: one byte when the load is over
void signalDone() {
  if (doneSignal >= 0 && write(doneSignal, "d", 1) < 0) _exit(3);
}

double ms(const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; }

// Opens the context, then loads `path` (none when empty) into a texture, in a child process.
Cost measure(const std::string& path) {
  std::fflush(stdout);  // or the child would print what is still buffered once more
  int ready[2], done[2], messages[2];
  if (pipe(ready) != 0 || pipe(done) != 0 || pipe(messages) != 0) std::exit(2);
  const pid_t child = fork();
  if (child == 0) {
    dup2(messages[1], 2);
    std::string error;
    if (!platform::openHeadlessGl(64, 64, &error)) {
      std::fprintf(stderr, "no GL context: %s\n", error.c_str());
      _exit(2);
    }
    doneSignal = done[1];
    std::atexit(signalDone);  // loadTexture ends the process when it refuses a picture
    if (write(ready[1], "r", 1) != 1) _exit(3);
    GLuint table[1] = {0};
    if (!path.empty()) loadTexture(table, path.c_str(), 0);
    glFinish();
    std::exit(0);
  }
  close(ready[1]);
  close(done[1]);
  close(messages[1]);
  char byte = 0;
  Cost cost;
  if (read(ready[0], &byte, 1) == 1) {
    const Clock::time_point start = Clock::now();
    if (read(done[0], &byte, 1) == 1) {
      cost.wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
  }
  char text[4096] = {};
  ssize_t length = 0, got = 0;
  while ((got = read(messages[0], text + length, sizeof text - 1 - size_t(length))) > 0) length += got;
  std::string lines(text, size_t(length));
  while (!lines.empty() && lines.back() == '\n') lines.pop_back();
  cost.message = lines.substr(lines.rfind('\n') == std::string::npos ? 0 : lines.rfind('\n') + 1);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  cost.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  cost.cpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
  cost.peakMb = usage.ru_maxrss / 1024.0;
  for (int fd : {ready[0], done[0], messages[0]}) close(fd);
  return cost;
}

// A picture with the statistics of a photo: broad shapes, mid-sized texture and grain, so that it
// compresses like one (about two bits a pixel at quality 85).
void writePhotoLike(const std::string& path, int w, int h, bool progressive) {
  JpegSettings settings;
  settings.width = w;
  settings.height = h;
  settings.quality = 85;
  settings.progressive = progressive;
  uint32_t noise = 2463534242u;
  const std::vector<uint8_t> bytes = encodeJpeg(settings, [&](int y, uint8_t* row) {
    for (int x = 0; x < w; ++x) {
      const double shape = 60 * std::sin(x * 0.011 + std::sin(y * 0.007) * 3) + 40 * std::cos(y * 0.013 + x * 0.002);
      const double texture = 18 * std::sin(x * 0.21 + y * 0.17) * std::sin(y * 0.09);
      for (int c = 0; c < 3; ++c) {
        noise ^= noise << 13, noise ^= noise >> 17, noise ^= noise << 5;
        const double v = 128 + shape * (1 - 0.3 * c) + texture + int(noise % 17) - 8;
        row[size_t(x) * 3 + size_t(c)] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
      }
    }
  });
  if (!writeBytes(path, bytes)) std::exit(2);
}

void writeCrafted(const std::string& path, const CraftedJpeg& picture) {
  if (!writeBytes(path, craftJpeg(picture))) std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  bool large = false;
  std::vector<std::pair<std::string, std::string>> cases;  // name, file
  cases.emplace_back("show picture 512x512 (reference)", "data/kasvot.jpg");

  char folderTemplate[] = "/tmp/kk-picture-bench-XXXXXX";
  const std::string folder = mkdtemp(folderTemplate) ? folderTemplate : "";
  if (folder.empty()) return 2;
  auto add = [&](const std::string& name, const std::string& file) { cases.emplace_back(name, folder + "/" + file); };

  CraftedJpeg crafted;
  crafted.width = crafted.height = 16384;
  crafted.components = 3;
  crafted.dataBytes = 2;
  writeCrafted(folder + "/seq16k.jpg", crafted);
  add("16384x16384 colour, data cut short", "seq16k.jpg");
  crafted.components = 1;
  crafted.paddingBytes = 1000000;
  writeCrafted(folder + "/seq16k-padded.jpg", crafted);
  add("16384x16384 grey cut short, padded to 1 MB", "seq16k-padded.jpg");
  crafted.arithmetic = true;
  crafted.paddingBytes = 0;
  crafted.width = crafted.height = 9400;
  writeCrafted(folder + "/arith9k.jpg", crafted);
  add("9400x9400 grey arithmetic, cut short", "arith9k.jpg");
  crafted.arithmetic = false;
  crafted.progressive = true;
  crafted.width = crafted.height = 16384;
  crafted.components = 3;
  writeCrafted(folder + "/prog16k.jpg", crafted);
  add("16384x16384 colour progressive, cut short", "prog16k.jpg");
  crafted.components = 1;
  crafted.width = crafted.height = 5500;  // just within the coefficient memory any file gets
  crafted.scans = 1000;
  writeCrafted(folder + "/prog-scans.jpg", crafted);
  add("5500x5500 grey progressive, 1000 scans", "prog-scans.jpg");
  crafted.arithmetic = true;
  writeCrafted(folder + "/arith-scans.jpg", crafted);
  add("5500x5500 grey arithmetic progressive, 1000 scans", "arith-scans.jpg");

  std::vector<std::pair<int, int>> photos = {{4000, 3000}, {8000, 6000}};
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--large") == 0) {
      large = true;
    } else {
      cases.emplace_back(argv[i], argv[i]);
    }
  }
  if (large) photos.push_back({16384, 16384});
  for (const auto& [w, h] : photos) {
    for (bool progressive : {false, true}) {
      const std::string file = std::to_string(w) + (progressive ? "p.jpg" : ".jpg");
      writePhotoLike(folder + "/" + file, w, h, progressive);
      add("photo " + std::to_string(w) + "x" + std::to_string(h) + (progressive ? " progressive" : ""), file);
    }
  }

  const Cost base = measure("");
  std::printf("A process with the context and nothing loaded: %.0f ms CPU, peak %.0f MB\n", base.cpuMs, base.peakMb);
  std::printf("%-48s %9s %6s %8s %7s %8s  %s\n", "picture", "bytes", "status", "wall ms", "CPU ms", "extra MB", "last line on standard error");
  for (const auto& [name, file] : cases) {
    std::error_code ignored;
    const auto bytes = std::filesystem::file_size(file, ignored);
    const Cost cost = measure(file);
    std::printf("%-48s %9llu %6d %8.0f %7.0f %8.0f  %s\n", name.c_str(), (unsigned long long)bytes, cost.status,
                cost.wallMs, cost.cpuMs - base.cpuMs, cost.peakMb - base.peakMb, cost.message.c_str());
    std::fflush(stdout);
  }
  std::filesystem::remove_all(folder);
  return 0;
}
