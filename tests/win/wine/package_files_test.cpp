// The Windows package as it ships, read from its programs' files rather than run: Wine brings
// its own copies of many DLLs that Windows lacks (zlib1.dll among them), so a program that runs
// under Wine may still not start on Windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>

#include "tests/win/wine/wine_session.h"

namespace fs = std::filesystem;

namespace {

std::string outputOf(const std::string& command) {
  std::string out;
  EXPECT_EQ(runToEnd({"/bin/sh", "-c", command}, "/", &out), 0) << command << ": " << out;
  return out;
}

std::string lowerCase(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

std::string utf16(const std::string& ascii) {
  std::string out;
  for (char c : ascii) out += {c, '\0'};
  return out;
}

// DLLs that every Windows from 7 on has in its system folder.
const std::set<std::string> SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "opengl32.dll",
                                           "glu32.dll", "winmm.dll", "shlwapi.dll", "msvcrt.dll",
                                           "advapi32.dll", "shell32.dll", "ole32.dll", "comctl32.dll"};

}  // namespace

TEST(WindowsPackage, EachProgramImportsOnlySystemDllsAndCarriesIconManifestAndVersion) {
  const fs::path zip = fs::path(windowsBuildDir()) / ".." / ("kaikuranta-" KK_PROJECT_VERSION "-windows-x86_64.zip");
  ASSERT_TRUE(fs::exists(zip)) << zip;
  const TempDir dir("kk-package");
  const fs::path scratch = dir.path;
  outputOf("unzip -q '" + zip.string() + "' -d '" + scratch.string() + "'");

  std::set<std::string> programs;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(scratch)) {
    if (e.path().extension() == ".exe") programs.insert(e.path().lexically_relative(scratch).string());
  }
  EXPECT_EQ(programs, (std::set<std::string>{"kaikuranta/kaikuranta-render.exe", "kaikuranta/kaikuranta.exe"}));

  for (const std::string& program : programs) {
    SCOPED_TRACE(program);
    const std::string path = "'" + (scratch / program).string() + "'";
    std::istringstream headers(outputOf("x86_64-w64-mingw32-objdump -p " + path));
    std::set<std::string> imports;
    for (std::string line; std::getline(headers, line);) {
      const size_t at = line.find("DLL Name: ");
      if (at != std::string::npos) imports.insert(lowerCase(line.substr(at + 10)));
    }
    EXPECT_TRUE(imports.count("kernel32.dll")) << "no import table read";
    // Section lines: "  0 .text  000cbb10 ...", "  9 .debug_info ...".
    const std::string sections = outputOf("x86_64-w64-mingw32-objdump -h " + path);
    EXPECT_NE(sections.find(" .text "), std::string::npos) << "no section table read";
    EXPECT_EQ(sections.find(" .debug"), std::string::npos) << sections;
    for (const std::string& dll : imports) EXPECT_TRUE(SYSTEM_DLLS.count(dll)) << "imports " << dll;

    // Explorer shows the first icon group; the loader reads manifest 1; version 1 is the one.
    const std::string resources = outputOf("wrestool -l " + path);
    EXPECT_EQ(resources.find("--type=14 "), resources.find("--type=14 --name=1 ")) << resources;
    const std::string ico = "'" + (scratch / "icon.ico").string() + "'";
    const std::string icon = outputOf("wrestool -x --type=14 --name=1 " + path + " >" + ico + " && icotool -l " + ico);
    for (const char* size : {"--width=16 ", "--width=32 ", "--width=48 ", "--width=256 "}) {
      EXPECT_NE(icon.find(size), std::string::npos) << "no icon of " << size << "in\n" << icon;
    }
    const std::string manifest = outputOf("wrestool -x --raw --type=24 --name=1 " + path);
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos) << manifest;
    // A declared awareness would refuse the real pixels the desktop-sized mode asks for.
    EXPECT_EQ(manifest.find("<dpiAware"), std::string::npos) << manifest;
    const std::string version = outputOf("wrestool -x --raw --type=16 --name=1 " + path);
    EXPECT_NE(version.find(utf16("Kaikuranta")), std::string::npos);
    EXPECT_NE(version.find(utf16(KK_PROJECT_VERSION) + '\0'), std::string::npos) << "no version " KK_PROJECT_VERSION;
  }
}
