// kaikuranta-render: frames of the show as PNG files, or the whole show as a video.
#include "platform/gl.h"
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/frame_size.h"
#include "platform/data_folder.h"
#include "platform/display.h"
#include "platform/report.h"
#include "platform/show_files.h"
#include "show/frame.h"
#include "show/messages.h"
#include "tools/png_file.h"
#include "tools/render/frame_writer.h"
#include "tools/render/offline_renderer.h"

namespace {

const char* const kUsage =
    "usage: kaikuranta-render [--size WxH] [--fps N] [--at SECONDS ... (--out DIR | --digest)] [--video FILE]\n"
    "Renders the show on a replayed clock.\n"
    "  --size WxH      frames of W x H pixels (default 640x480): the show's 4:3 picture as large as\n"
    "                  it fits, centred, with black bars on the other sides (1920x1080 for HD video)\n"
    "  --fps N         passes of the loop per second of show time (default 60)\n"
    "  --at SECONDS    write the frame drawn at that show time as DIR/NNNNNN.png, NNNNNN being\n"
    "                  the pass number; may be given more than once\n"
    "  --out DIR       the folder for --at frames (created if missing)\n"
    "  --digest        instead of writing --at frames, print one line per frame: its pass, a\n"
    "                  digest of its pixels, and \"text\" when the bubble shows (else \"-\");\n"
    "                  first the digest of the message glyphs and the GL renderer\n"
    "  --video FILE    the whole show with its soundtrack, encoded by ffmpeg\n"
    "  --help          this text\n"
    "  --version       the version\n";

int fail(const std::string& message) {
  platform::report("%s", message.c_str());
  return 2;
}

#ifdef _WIN32
// Windows looks for a program beside the one that starts it, then on the PATH; the encoder's
// pipe carries bytes, which a text-mode pipe would change.
constexpr char PATH_LIST_SEPARATOR = ';';
constexpr const char* FFMPEG = "ffmpeg.exe";
constexpr const char* FFMPEG_MISSING =
    "--video needs ffmpeg.exe, on the PATH or beside kaikuranta-render.exe (get it from ffmpeg.org)";
constexpr const char* PIPE_MODE = "wb";
constexpr int RUNNABLE = F_OK;  // the system's own access() knows no execute bit
#else
constexpr char PATH_LIST_SEPARATOR = ':';
constexpr const char* FFMPEG = "ffmpeg";
constexpr const char* FFMPEG_MISSING =
    "--video needs the ffmpeg program, which is not installed (apt-get install ffmpeg)";
constexpr const char* PIPE_MODE = "w";
constexpr int RUNNABLE = X_OK;
#endif

// The encoder to start, by its full path; empty when there is none.
std::string findFfmpeg() {
#ifdef _WIN32
  const std::string beside = platform::programFolder() + platform::PATH_SEPARATOR + FFMPEG;
  if (access(beside.c_str(), RUNNABLE) == 0) return beside;
#endif
  const char* path = std::getenv("PATH");
  if (!path) return std::string();
  std::string dirs = path;
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(PATH_LIST_SEPARATOR, start);
    if (end == std::string::npos) end = dirs.size();
    std::string candidate = dirs.substr(start, end - start) + platform::PATH_SEPARATOR + FFMPEG;
    if (end > start && access(candidate.c_str(), RUNNABLE) == 0) return candidate;
    start = end + 1;
  }
  return std::string();
}

std::string shellQuote(const std::string& s) {
#ifdef _WIN32
  return "\"" + s + "\"";  // no file name holds a quote
#else
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
#endif
}

void progress(int64_t pass, int64_t total) {
  const int width = 40;
  const int filled = int(std::min<int64_t>(width, pass * width / std::max<int64_t>(total, 1)));
  std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(size_t(filled), '#').c_str(),
               std::string(size_t(width - filled), ' ').c_str(), int(pass * 100 / std::max<int64_t>(total, 1)));
}

// "WxH" in plain decimal digits, nothing before or after.
bool parseSize(const std::string& text, int* width, int* height) {
  const size_t x = text.find('x');
  if (x == std::string::npos || x == 0 || x + 1 == text.size() || x > 5 || text.size() - x - 1 > 5) return false;
  if (text.find_first_not_of("0123456789", 0) != x || text.find_first_not_of("0123456789", x + 1) != std::string::npos)
    return false;
  *width = std::stoi(text.substr(0, x));
  *height = std::stoi(text.substr(x + 1));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  platform::setProgramName("kaikuranta-render");
  int fps = 60;
  std::vector<double> at;
  std::vector<std::string> atText;
  std::string outDir, video;
  bool digest = false;
  int outWidth = BASE_FRAME_WIDTH, outHeight = BASE_FRAME_HEIGHT;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      std::fputs("It reads the show's pictures and music from the first of these folders that holds them:\n", stdout);
      for (const std::string& folder : platform::dataFolders()) std::printf("  %s\n", folder.c_str());
      return 0;
    } else if (arg == "--version") {
      std::printf("kaikuranta-render %s\n", platform::programVersion());
      return 0;
    } else if (arg == "--fps" && hasValue) {
      double v;
      if (!parseShowTime(argv[++i], &v) || v != std::floor(v) || v < 1 || v > 1000)
        return fail(std::string("--fps wants a whole number from 1 to 1000, not ") + argv[i]);
      fps = int(v);
    } else if (arg == "--at" && hasValue) {
      double v;
      if (!parseShowTime(argv[++i], &v))
        return fail(std::string("--at wants a show time in seconds, not ") + argv[i]);
      // Checked before any pass number is worked out: a time far past the end has none.
      if (v > SHOW_END_SECONDS)
        return fail(std::string("--at ") + argv[i] + ": the show ends at 154.5 s, nothing is drawn after it");
      at.push_back(v);
      atText.push_back(argv[i]);
    } else if (arg == "--size" && hasValue) {
      if (!parseSize(argv[++i], &outWidth, &outHeight))
        return fail(std::string("--size wants WIDTHxHEIGHT in pixels, such as 1920x1080, not ") + argv[i]);
    } else if (arg == "--out" && hasValue) {
      outDir = argv[++i];
    } else if (arg == "--digest") {
      digest = true;
    } else if (arg == "--video" && hasValue) {
      video = argv[++i];
    } else {
      std::fputs(kUsage, stderr);
      const bool known = arg == "--fps" || arg == "--at" || arg == "--out" || arg == "--video" || arg == "--size";
      return fail(known ? arg + " wants a value" : "unknown argument " + arg);
    }
  }
  // Every frame asked for is one the show draws, or nothing is drawn: --fps may come last.
  const int64_t last = OfflineRenderer::lastPass(fps);
  for (size_t k = 0; k < at.size(); ++k) {
    if (OfflineRenderer::passAt(at[k], fps) > last) {
      char end[96];
      std::snprintf(end, sizeof end, "the show ends at 154.5 s, its last frame at %d per second is at %.3f s",
                    fps, double(last * 1000 / fps) / 1000.0);
      return fail("--at " + atText[k] + ": " + end);
    }
  }
  if (at.empty() && video.empty()) {
    std::fputs(kUsage, stderr);
    return fail("nothing to do: give --at or --video");
  }
  if (!at.empty() && outDir.empty() && !digest) return fail("--at needs --out DIR or --digest");
  Placement placement;
  std::string sizeError;
  if (!placePicture(outWidth, outHeight, &placement, &sizeError)) return fail("--size " + sizeError);
  // The encoder's colours are kept at half the resolution: its frame has even sides.
  if (!video.empty() && (outWidth % 2 != 0 || outHeight % 2 != 0))
    return fail("--video wants an even width and height, not " + std::to_string(outWidth) + "x" +
                std::to_string(outHeight));
  setFrameHeight(placement.pictureHeight);
  const std::string ffmpeg = video.empty() ? std::string() : findFfmpeg();
  if (!video.empty() && ffmpeg.empty()) return fail(FFMPEG_MISSING);
  if (!outDir.empty() && !digest) {
    std::error_code error;
    std::filesystem::create_directory(outDir, error);
    if (error) return fail("cannot create " + outDir + ": " + error.message());
  }

  // Interrupt and terminate end the renderer before its next frame, with 128 + the signal's
  // number; without this SDL turns them into a quit event that nothing here reads, and a video
  // of the whole show would go on for its half hour.
  platform::catchEndRequests();
  OfflineRenderer renderer;
  std::string error;
  if (!renderer.start(fps, &error, placement.width, placement.height)) return fail(error);

  std::vector<uint8_t> rgba;
  int status = 0;
  if (digest) {
    std::string font;
    const uint64_t glyphs = glyphDigest(&font);
    std::printf("glyphs %016llx %s\n", (unsigned long long)glyphs, font.substr(font.rfind('/') + 1).c_str());
    std::printf("gl %s / %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                reinterpret_cast<const char*>(glGetString(GL_VERSION)));
  }
  if (!at.empty()) {
    std::vector<int64_t> passes;
    for (double s : at) passes.push_back(renderer.passAt(s));
    std::sort(passes.begin(), passes.end());
    passes.erase(std::unique(passes.begin(), passes.end()), passes.end());
    for (int64_t pass : passes) {
      if (platform::endRequest() != 0) break;
      if (!renderer.runTo(pass, false, &rgba)) {
        platform::report("the show ends before pass %lld", (long long)pass);
        status = 1;
        break;
      }
      if (digest) {
        // The bubble is drawn whenever it is open at all; only then does the font reach the frame.
        std::printf("%06lld %016llx %s\n", (long long)pass, (unsigned long long)frameDigest(rgba),
                    messageFade != 0.0f ? "text" : "-");
        continue;
      }
      char name[32];
      std::snprintf(name, sizeof name, "/%06lld.png", (long long)pass);
      if (!writePng(outDir + name, outWidth, outHeight, rgba)) {
        status = 1;  // writePng said why
        break;
      }
    }
  }

  if (status == 0 && !video.empty()) {
    // Frames go over as the driver keeps them (BGRA, bottom row first), the picture alone: the
    // encoder adds the bars, on its own threads, in the same place as --at frames have them.
    // veryfast at quality 18 looks better than x264's defaults (medium, 23) at half their
    // encoding time, which on two cores is time taken from drawing.
    std::string filter = "vflip";
    if (placement.width != placement.pictureWidth || placement.height != placement.pictureHeight) {
      const int top = placement.height - placement.pictureHeight - placement.bottom;
      filter += ",pad=" + std::to_string(placement.width) + ":" + std::to_string(placement.height) + ":" +
                std::to_string(placement.left) + ":" + std::to_string(top) + ":black";
    }
    std::string command =
        shellQuote(ffmpeg) + " -loglevel error -y -f rawvideo -pix_fmt bgra -s " +
        std::to_string(placement.pictureWidth) + "x" + std::to_string(placement.pictureHeight) + " -r " +
        std::to_string(fps) + " -i - -i " + shellQuote(platform::dataPath(DATA_MUSIC)) + " -vf " + filter +
        " -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p -c:a aac -b:a 192k -shortest " +
        shellQuote(video);
#ifdef _WIN32
    command = "\"" + command + "\"";  // the command interpreter strips the outer pair
#endif
    // An encoder that quits closes the pipe: writing on must fail, not end this program.
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
    FILE* pipe = popen(command.c_str(), PIPE_MODE);
    if (!pipe) return fail("cannot start ffmpeg");
    renderer.readBgra(true);
    renderer.readPictureAlone(true);
    bool stoppedEarly = false;
    {
      // While the encoder takes one frame the next ones are drawn.
      FrameWriter writer(pipe, 4);
      // The bar counts towards the end of the show.
      const int64_t total = renderer.passAt(SHOW_END_SECONDS) + 1;
      int64_t next = renderer.nextPass();
      for (;;) {
        if ((stoppedEarly = platform::endRequest() != 0)) break;
        std::vector<uint8_t>* frame = writer.take();
        if (!frame) break;
        if (!renderer.runTo(next, false, frame)) break;
        writer.submit(frame);
        if (next % 30 == 0) progress(next, total);
        next = renderer.nextPass();
      }
      if (!stoppedEarly) progress(total, total);
      std::fputc('\n', stderr);
      // An interrupt from the terminal reaches the encoder too, which may stop first.
      if (!writer.finish() && platform::endRequest() == 0) status = fail("ffmpeg stopped taking frames");
    }
    const bool encoded = pclose(pipe) == 0;
    if (platform::endRequest() != 0 && (stoppedEarly || !encoded)) {
      // What the encoder closed holds part of the show: it is not the video asked for.
      std::remove(video.c_str());
      platform::report("stopped before the end of the show; %s is removed", video.c_str());
    } else if (!encoded && status == 0) {
      status = fail("ffmpeg could not encode " + video);
    }
  }
  if (platform::endRequest() != 0) status = platform::endRequest();

  // Digest lines stay whole ahead of the summary on a shared output.
  std::fflush(stdout);
  std::vector<double> ms = renderer.frameMillis();
  // A failure is told in its one line, without the summary.
  if (status == 0 && !ms.empty()) {
    double sum = 0;
    for (double m : ms) sum += m;
    std::sort(ms.begin(), ms.end());
    const double p95 = ms[std::min(ms.size() - 1, size_t(std::ceil(0.95 * double(ms.size()))) - 1)];
    platform::report("drew %llu frames: mean %.2f ms, 95th percentile %.2f ms per frame",
                     (unsigned long long)ms.size(), sum / double(ms.size()), p95);
  }
  return status;
}
