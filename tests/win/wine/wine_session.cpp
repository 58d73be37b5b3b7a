// GoogleTest before Xlib: Xlib's macros (None, Bool) would break its templates.
#include <gtest/gtest.h>

#include "tests/win/wine/wine_session.h"

#include <cstdlib>
#include <filesystem>

namespace {

std::string winePrefix() {
  const char* prefix = std::getenv("KK_WINEPREFIX");
  return prefix ? prefix : windowsBuildDir() + "/../wineprefix";
}

std::map<std::string, std::string> wineEnvironment() {
  return {
      {"WINEPREFIX", winePrefix()},
      {"WINEDEBUG", "-all"},
      // No Mono or Gecko installers; only the PulseAudio driver, so no sound server means no
      // device (the ALSA driver would find none either, only louder).
      {"WINEDLLOVERRIDES", "mscoree,mshtml=;winealsa.drv=d"},
      {"PULSE_SERVER", "unix:/nonexistent/kaikuranta-no-sound-server"},
      // The programs' own tests look for data/ beside them.
      {"KK_BINARY_DIR", windowsBuildDir()},
  };
}

std::string wineserver() { return std::string(KK_WINE64).substr(0, std::string(KK_WINE64).rfind('/')) + "/wineserver"; }

}  // namespace

std::string windowsBuildDir() {
  const char* dir = std::getenv("KK_WINDOWS_BUILD_DIR");
  return dir ? dir : KK_DEFAULT_WINDOWS_BUILD_DIR;
}

WineSession::WineSession(const std::string& screen) : XScreen(screen) {
  // The first run makes the prefix (about 20 s); later ones find it ready.
  if (!ok() || std::filesystem::exists(winePrefix() + "/system.reg")) return;
  std::string command = "export";
  for (const auto& [k, v] : wineEnvironment()) command += " " + k + "='" + v + "'";
  command += "; " + std::string(KK_WINE64) + " wineboot -i && " + wineserver() + " -w";
  EXPECT_EQ(std::system(("(" + command + ") >/dev/null 2>&1").c_str()), 0) << command;
}

WineSession::~WineSession() {
  program_.reset();
  // Explorer and the other processes Wine starts beside a program belong to the prefix's server.
  const std::string server = "WINEPREFIX='" + winePrefix() + "' " + wineserver();
  std::system((server + " -k >/dev/null 2>&1; " + server + " -w >/dev/null 2>&1").c_str());
}

void WineSession::start(const std::string& program, const std::vector<std::string>& args, const std::string& dir,
                        const std::map<std::string, std::string>& env) {
  std::map<std::string, std::string> all = wineEnvironment();
  for (const auto& [k, v] : env) all[k] = v;
  std::vector<std::string> argv = {KK_WINE64, program};
  argv.insert(argv.end(), args.begin(), args.end());
  run(argv, dir, all);
}
