// kaikuranta-bench: what the show's frames cost on this machine, each figure beside a fixed
// reference drawn on the same context in the same run (a clear and ten blended, bilinear-textured
// quads over the whole frame), so that a busy machine still gives a fair ratio. Run from the
// folder that holds data/.
//   kaikuranta-bench [--frames N] [--size WxH]
//                                   the offline renderer's frames, layer by layer, at 640x480 or
//                                   at a larger 4:3 size (the reference drawn at the same size)
//   kaikuranta-bench --sizes [N]    the frame's ratio at 640x480, 1280x960 and 1920x1440, each
//                                   size in a fresh process of its own, N frames each (20)
//   kaikuranta-bench --window       the show's own loop in a window on $DISPLAY for 30 s
//   kaikuranta-bench --startup [N]  the show's start-up to its first frame on $DISPLAY, in N
//                                   fresh processes each fullscreen and windowed (10 by default)
#include "platform/gl.h"
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "app/init_show.h"
#include "app/program.h"
#include "app/window.h"
#include "assets/frame_size.h"
#include "fx/grid_mesh.h"
#include "fx/quads.h"
#include "fx/rippling_surface.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/report.h"
#include "platform/startup_memory.h"
#include "show/frame.h"
#include "timing/beat_timing.h"
#include "timing/demo_clock.h"
#include "tools/render/offline_renderer.h"

// Every C++ allocation of the process is counted, so the benchmark can tell that the show's own
// work per frame allocates nothing. (The driver is C and allocates with malloc, uncounted.)
namespace {
size_t allocations = 0;
}  // namespace

void* operator new(size_t size) {
  ++allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace {

constexpr double BENCH_FIRST_SECONDS = 5.0;
constexpr double BENCH_LAST_SECONDS = 150.0;
constexpr double WINDOW_SECONDS = 30.0;
constexpr int REFERENCE_QUADS = 10;
// Frames and references are also drawn this many times each, keeping the fastest: on a busy
// machine the fastest run is the one least disturbed, the nearest to an idle machine's figure.
constexpr int BEST_OF = 3;

double nowMs() { return double(platform::monotonicMicros()) / 1000.0; }

double cpuMs(clockid_t clock) {
  timespec ts;
  clock_gettime(clock, &ts);
  return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

// How often the calling thread has gone to sleep: each wait for the driver's threads is one.
double waits() {
  rusage usage;
  getrusage(RUSAGE_THREAD, &usage);
  return double(usage.ru_nvcsw);
}

double quantile(std::vector<double> v, double q) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, size_t(q * double(v.size())))];
}
double median(const std::vector<double>& v) { return quantile(v, 0.5); }

GLuint referenceTexture() {
  std::vector<uint8_t> rgb(256 * 256 * 3);
  for (int t = 0; t < 256; ++t) {
    for (int s = 0; s < 256; ++s) {
      uint8_t* p = &rgb[(size_t(t) * 256 + size_t(s)) * 3];
      p[0] = uint8_t(s);
      p[1] = uint8_t(t);
      p[2] = uint8_t(127.5 + 127.5 * std::cos(std::hypot(s - 127.5, t - 127.5) / 7.0));
    }
  }
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 256, 256, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  return name;
}

// The reference: a clear and ten additive, bilinear-textured quads over the whole frame,
// finished. The show's GL state is kept around it.
double timeReference(GLuint texture) {
  glFinish();
  const double start = nowMs();
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glTranslatef(0.0f, 0.0f, -1.0f);
  glViewport(0, 0, frameSize().width, frameSize().height);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  glColor4f(1.0f, 1.0f, 1.0f, 0.1f);
  // A wide quad of half-height 1.01 covers the whole screen on the scene plane.
  for (int i = 0; i < REFERENCE_QUADS; ++i) drawWideQuad(1.01f);
  glPopMatrix();
  glPopAttrib();
  glFinish();
  return nowMs() - start;
}

// Per-layer times of one frame, filled by the frame's layer hook with a glFinish after each.
// CPU time is counted over all the driver's threads: it is the work, where the wall time is the
// wait, and it moves less when other programs share the machine.
struct Layer {
  const char* name;
  std::vector<double> ms, cpu;
};
std::vector<Layer> layers;
double layerMark = 0.0, layerCpuMark = 0.0;

void startLayers() {
  glFinish();
  layerMark = nowMs();
  layerCpuMark = cpuMs(CLOCK_PROCESS_CPUTIME_ID);
}

void onLayerDone(const char* name) {
  glFinish();
  const double now = nowMs(), cpu = cpuMs(CLOCK_PROCESS_CPUTIME_ID);
  // Found by name: a frame may leave out layers that would add nothing.
  size_t i = 0;
  while (i < layers.size() && std::strcmp(layers[i].name, name) != 0) ++i;
  if (i == layers.size()) {
    layers.push_back({name, {}, {}});
    layers.back().ms.reserve(4096);
    layers.back().cpu.reserve(4096);
  }
  layers[i].ms.push_back(now - layerMark);
  layers[i].cpu.push_back(cpu - layerCpuMark);
  layerMark = nowMs();
  layerCpuMark = cpuMs(CLOCK_PROCESS_CPUTIME_ID);
}

int benchOffline(int frames) {
  OfflineRenderer renderer;
  std::string error;
  if (!renderer.start(60, &error)) {
    platform::report("%s", error.c_str());
    return 1;
  }
  // Frames are read back as the video export reads them.
  renderer.readBgra(true);
  std::printf("%s / %s, %dx%d\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
              reinterpret_cast<const char*>(glGetString(GL_VERSION)), frameSize().width, frameSize().height);
  const GLuint reference = referenceTexture();
  // The driver compiles its shaders on first use; none of that belongs to a frame. The layer
  // table is filled here too, in the frame's order, so that the frames below can be counted as
  // they allocate.
  for (int i = 0; i < 5; ++i) timeReference(reference);
  std::vector<uint8_t> rgba;
  if (!renderer.runTo(renderer.passAt(BENCH_FIRST_SECONDS) - 1, false, &rgba)) return 1;
  layers.reserve(16);
  startLayers();
  frameLayerDone = onLayerDone;
  drawFrame();
  frameLayerDone = nullptr;
  for (Layer& layer : layers) layer.ms.clear(), layer.cpu.clear();

  std::vector<double> frameMs, referenceMs, ratio, cpu, frameCpu, referenceCpu, cpuRatio, bestRatio, frameWaits;
  size_t frameAllocations = 0;
  for (int i = 0; i < frames; ++i) {
    const double seconds =
        BENCH_FIRST_SECONDS + (BENCH_LAST_SECONDS - BENCH_FIRST_SECONDS) * i / std::max(1, frames - 1);
    const double referenceCpuStart = cpuMs(CLOCK_PROCESS_CPUTIME_ID);
    referenceMs.push_back(timeReference(reference));
    referenceCpu.push_back(cpuMs(CLOCK_PROCESS_CPUTIME_ID) - referenceCpuStart);
    double referenceBest = referenceMs.back();
    for (int k = 1; k < BEST_OF; ++k) referenceBest = std::min(referenceBest, timeReference(reference));

    const double cpuStart = cpuMs(CLOCK_THREAD_CPUTIME_ID);
    const double frameCpuStart = cpuMs(CLOCK_PROCESS_CPUTIME_ID);
    const double waitsBefore = waits();
    if (!renderer.runTo(renderer.passAt(seconds), false, &rgba)) break;
    frameWaits.push_back(waits() - waitsBefore);
    cpu.push_back(cpuMs(CLOCK_THREAD_CPUTIME_ID) - cpuStart);
    frameCpu.push_back(cpuMs(CLOCK_PROCESS_CPUTIME_ID) - frameCpuStart);
    frameMs.push_back(renderer.frameMillis().back());
    ratio.push_back(frameMs.back() / referenceMs.back());
    cpuRatio.push_back(frameCpu.back() / referenceCpu.back());
    double frameBest = frameMs.back();
    for (int k = 1; k < BEST_OF; ++k) frameBest = std::min(frameBest, renderer.drawAgain(&rgba));
    bestRatio.push_back(frameBest / referenceBest);

    // The same frame again, finished after every layer to see what each one costs.
    startLayers();
    frameLayerDone = onLayerDone;
    const size_t before = allocations;
    drawFrame();
    frameAllocations += allocations - before;
    frameLayerDone = nullptr;
  }
  if (frameMs.empty()) return 1;

  std::printf("\n%zu frames of the offline renderer from %.0f to %.0f s, each after a reference\n\n",
              frameMs.size(), BENCH_FIRST_SECONDS, BENCH_LAST_SECONDS);
  double layerTotal = 0.0, layerCpuTotal = 0.0;
  for (const Layer& layer : layers) layerTotal += median(layer.ms), layerCpuTotal += median(layer.cpu);
  std::printf("%-34s %10s %7s %12s\n", "layer (glFinish after each)", "median ms", "share", "CPU ms, all");
  for (const Layer& layer : layers) {
    std::printf("  %-32s %10.2f %5.1f %% %12.2f\n", layer.name, median(layer.ms),
                100.0 * median(layer.ms) / layerTotal, median(layer.cpu));
  }
  std::printf("  %-32s %10.2f %7s %12.2f\n\n", "sum of the layers' medians", layerTotal, "", layerCpuTotal);
  std::printf("whole frame (drawFrame, read back, glFinish)  median %6.2f ms   p95 %6.2f ms   CPU %6.2f ms\n",
              median(frameMs), quantile(frameMs, 0.95), median(frameCpu));
  std::printf("reference (clear + %d blended quads)          median %6.2f ms   p95 %6.2f ms   CPU %6.2f ms\n",
              REFERENCE_QUADS, median(referenceMs), quantile(referenceMs, 0.95), median(referenceCpu));
  std::printf("frame / reference, median of the pairs        %6.2f                        CPU %6.2f\n",
              median(ratio), median(cpuRatio));
  std::printf("frame / reference, each the best of %d         %6.2f\n", BEST_OF, median(bestRatio));
  // What --sizes reads from each size's process.
  std::printf("ratio %.4f %.4f\n", median(ratio), median(bestRatio));
  std::printf("main thread CPU per frame                     median %6.2f ms\n", median(cpu));
  std::printf("main thread waits for the driver per frame    median %6.0f\n", median(frameWaits));
  std::printf("C++ allocations while drawing a frame         %zu in %zu frames\n", frameAllocations,
              frameMs.size());

  // The show's own CPU work: the one computation of any size it does per frame.
  std::vector<double> ripple;
  GridMesh mesh;
  buildSurfaceMesh(&mesh);
  for (int i = 0; i < 400; ++i) {
    const double start = cpuMs(CLOCK_THREAD_CPUTIME_ID);
    rippleSurfaceMesh(mesh, float(i) * 0.02f);
    ripple.push_back(cpuMs(CLOCK_THREAD_CPUTIME_ID) - start);
  }
  std::printf("surface positions + normals, CPU only         median %6.3f ms   p95 %6.3f ms\n",
              median(ripple), quantile(ripple, 0.95));
  return 0;
}

// The show's own loop in a real window, with the pass times and CPU times noted on the way. Every
// few passes the reference is drawn first, so that it sees the same machine as the passes; the
// interval that holds it is left out.
constexpr size_t REFERENCE_EVERY = 15;
std::vector<double> passStart, passProcessCpu, passThreadCpu, windowReferenceMs;
std::vector<bool> afterReference;
GLuint windowReference = 0;
LoopSteps realSteps;

std::vector<double> swapMs;

void timedSwap() {
  const double start = nowMs();
  realSteps.swapBuffers();
  swapMs.push_back(nowMs() - start);
}

bool timedDrawFrame() {
  const bool withReference = passStart.size() % REFERENCE_EVERY == 0;
  if (withReference) windowReferenceMs.push_back(timeReference(windowReference));
  afterReference.push_back(withReference);
  passStart.push_back(nowMs());
  passProcessCpu.push_back(cpuMs(CLOCK_PROCESS_CPUTIME_ID));
  passThreadCpu.push_back(cpuMs(CLOCK_THREAD_CPUTIME_ID));
  if (showClock.seconds() > WINDOW_SECONDS) return false;
  return realSteps.drawFrame();
}

int benchWindow() {
  if (!std::getenv("DISPLAY")) {
    platform::report("--window needs a display, e.g.\n"
                     "  xvfb-run -a -s '-screen 0 640x480x24' kaikuranta-bench --window");
    return 1;
  }
  // A silent, but real, audio thread: the show decodes and plays its music as it would.
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  // Windowed: a display without a 640x480 mode would otherwise stop the run with a question.
  if (!openWindow("Kaikuranta", frameSize().width, frameSize().height, 32, false)) return 1;
  std::printf("%s / %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
              reinterpret_cast<const char*>(glGetString(GL_VERSION)));
  windowReference = referenceTexture();
  for (int i = 0; i < 5; ++i) timeReference(windowReference);

  afterReference.reserve(100000);
  passStart.reserve(100000);
  passProcessCpu.reserve(100000);
  passThreadCpu.reserve(100000);
  initShow();
  startPacing(platform::displayRefreshRate(), swapIntervalAccepted);
  realSteps = showLoopSteps();
  LoopSteps steps = realSteps;
  steps.drawFrame = timedDrawFrame;
  steps.swapBuffers = timedSwap;
  swapMs.reserve(100000);
  runMainLoop(steps);

  // Intervals between the starts of consecutive passes: one whole pass each, swap and pacing too.
  std::vector<double> interval, processCpu, threadCpu;
  for (size_t i = 1; i < passStart.size(); ++i) {
    if (afterReference[i]) continue;
    interval.push_back(passStart[i] - passStart[i - 1]);
    processCpu.push_back(passProcessCpu[i] - passProcessCpu[i - 1]);
    threadCpu.push_back(passThreadCpu[i] - passThreadCpu[i - 1]);
  }
  if (interval.empty()) return 1;
  const double perPass = median(interval);
  std::printf("\nthe show's loop in a window for its first %.0f s (refresh %d Hz, swap interval %s)\n\n",
              WINDOW_SECONDS, platform::displayRefreshRate(), swapIntervalAccepted ? "accepted" : "refused");
  std::printf("passes                                        %zu, %.1f per second (with the references)\n",
              passStart.size(), double(passStart.size()) / WINDOW_SECONDS);
  std::printf("one pass                                      median %6.2f ms (%.1f per second)   p95 %6.2f ms\n",
              perPass, 1000.0 / perPass, quantile(interval, 0.95));
  std::printf("reference (clear + %d blended quads)          median %6.2f ms\n", REFERENCE_QUADS,
              median(windowReferenceMs));
  std::printf("pass / reference                              %6.2f\n", perPass / median(windowReferenceMs));
  std::printf("swap and pacing, of each pass                 median %6.2f ms\n", median(swapMs));
  std::printf("CPU per pass, all threads                     median %6.2f ms\n", median(processCpu));
  std::printf("CPU per pass, the show's thread               median %6.2f ms\n", median(threadCpu));
  return 0;
}

// One start in this fresh process, as the show starts: the window and its context, the show's start-up, the first frame drawn and presented. Prints when each ended,
// in ms of the monotonic clock since `launchedMicros` (the parent's clock just before it started
// this process).
int startupChild(uint64_t launchedMicros, bool windowed) {
  const auto since = [&] { return double(platform::monotonicMicros() - launchedMicros) / 1000.0; };
  const double inMain = since();
  platform::catchEndRequests();
  platform::prepareStartupMemory();
  if (!openWindow("Kaikuranta", frameSize().width, frameSize().height, 32, windowed ? false : fullscreen)) return 1;
  const double windowOpen = since();
  initShow();
  const double startedUp = since();
  drawFrame();
  updateTiming();
  platform::windowSwap(hDC);
  glFinish();
  const double firstFrame = since();
  std::printf("%.3f %.3f %.3f %.3f\n", inMain, windowOpen, startedUp, firstFrame);
  std::fflush(stdout);
  closeWindow();
  std::_Exit(0);  // the music is still decoding; nothing else to tidy
}

int benchStartup(const char* self, int runs) {
  // Fullscreen as the show starts, and windowed: without a window manager to confirm the switch
  // (as under a bare Xvfb), SDL waits 100 ms for a confirmation that never comes.
  if (!std::getenv("DISPLAY")) {
    platform::report("--startup needs a display with a 640x480 mode, e.g.\n"
                     "  xvfb-run -a -s '-screen 0 640x480x24' kaikuranta-bench --startup");
    return 1;
  }
  // A silent, but real, audio device: the music is opened and decoded as it would be.
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  std::vector<double> phase[2][4];
  for (int run = 0; run < 2 * runs; ++run) {
    const bool windowed = run % 2 == 1;
    int out[2];
    if (pipe(out) != 0) return 1;
    const uint64_t launched = platform::monotonicMicros();
    const pid_t child = fork();
    if (child == 0) {
      dup2(out[1], STDOUT_FILENO);
      close(out[0]);
      close(out[1]);
      const std::string at = std::to_string(launched);
      execl(self, self, "--startup-child", at.c_str(), windowed ? "windowed" : "fullscreen",
            static_cast<char*>(nullptr));
      std::_Exit(127);
    }
    close(out[1]);
    std::string line;
    char buffer[256];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) line.append(buffer, size_t(n));
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    double t[4];
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        std::sscanf(line.c_str(), "%lf %lf %lf %lf", &t[0], &t[1], &t[2], &t[3]) != 4) {
      platform::report("start %d failed", run + 1);
      return 1;
    }
    for (int i = 0; i < 4; ++i) phase[windowed][i].push_back(t[i]);
  }
  const char* names[4] = {"in main (the program loaded)", "window and GL context open",
                          "start-up done, music playing", "first frame presented"};
  for (int windowed = 0; windowed < 2; ++windowed) {
    std::printf("\nthe show's start-up, %s, in %d fresh processes (ms since each was started)\n\n",
                windowed ? "windowed" : "fullscreen", runs);
    for (int i = 0; i < 4; ++i) {
      const std::vector<double>& v = phase[windowed][i];
      std::printf("%-40s median %7.1f   min %7.1f   max %7.1f\n", names[i], median(v),
                  *std::min_element(v.begin(), v.end()), *std::max_element(v.begin(), v.end()));
    }
  }
  return 0;
}

// Each size in a process of its own (the frame's size is set once, at start-up), each frame beside
// a reference drawn at the same size; the ratios side by side.
int benchSizes(const char* self, int frames) {
  const int heights[] = {480, 960, 1440};
  double base = 0.0;
  std::printf("%-10s %26s %22s %s\n", "frame", "frame / reference, median", "each the best of 3", "");
  for (int height : heights) {
    const std::string command = std::string(self) + " --frames " + std::to_string(frames) + " --size " +
                                std::to_string(height / 3 * 4) + "x" + std::to_string(height);
    FILE* child = popen(command.c_str(), "r");
    if (!child) return 1;
    double ratio = 0.0, best = 0.0;
    char line[512];
    while (std::fgets(line, sizeof line, child)) std::sscanf(line, "ratio %lf %lf", &ratio, &best);
    if (pclose(child) != 0 || ratio <= 0.0) {
      platform::report("the benchmark at %dx%d failed", height / 3 * 4, height);
      return 1;
    }
    if (height == heights[0]) base = ratio;
    const double change = 100.0 * (ratio / base - 1.0);
    std::printf("%4dx%-5d %26.2f %22.2f   %+.1f %% against 640x480%s\n", height / 3 * 4, height, ratio, best,
                change, height == heights[0] ? "" : std::abs(change) <= 10.0 ? ", within 10 %" : ", NOT within 10 %");
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  platform::setProgramName("kaikuranta-bench");
  if (argc == 4 && std::strcmp(argv[1], "--startup-child") == 0) {
    return startupChild(std::strtoull(argv[2], nullptr, 10), std::strcmp(argv[3], "windowed") == 0);
  }
  if (argc >= 2 && std::strcmp(argv[1], "--startup") == 0) {
    const int runs = argc >= 3 ? std::atoi(argv[2]) : 10;
    if (argc > 3 || runs < 1) {
      std::fputs("usage: kaikuranta-bench --startup [N]\n", stderr);
      return 2;
    }
    return benchStartup("/proc/self/exe", runs);
  }
  int frames = 60;
  bool window = false;
  if (argc >= 2 && std::strcmp(argv[1], "--sizes") == 0) {
    const int n = argc >= 3 ? std::atoi(argv[2]) : 20;
    if (argc > 3 || n < 1) {
      std::fputs("usage: kaikuranta-bench --sizes [N]\n", stderr);
      return 2;
    }
    // The shell that runs each size would read /proc/self/exe as itself: name this program.
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return 1;
    self[length] = '\0';
    return benchSizes(self, n);
  }
  for (int i = 1; i < argc; ++i) {
    int width = 0, height = 0;
    if (std::strcmp(argv[i], "--window") == 0) {
      window = true;
    } else if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc &&
               std::sscanf(argv[i + 1], "%dx%d", &width, &height) == 2 && width * 3 == height * 4 &&
               setFrameHeight(height)) {
      ++i;
    } else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc && std::atoi(argv[i + 1]) > 0) {
      frames = std::atoi(argv[++i]);
    } else {
      std::fputs("usage: kaikuranta-bench [--frames N] [--size WxH, 4:3, 480 to 4320 high] | --sizes [N] | --window | --startup [N]\n", stderr);
      return 2;
    }
  }
  return window ? benchWindow() : benchOffline(frames);
}
