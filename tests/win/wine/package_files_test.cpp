// The Windows package as it ships, read from its programs' files rather than run: Wine brings
// its own copies of many DLLs that Windows lacks (zlib1.dll among them), so a program that runs
// under Wine may still not start on Windows.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

#include "tests/win/wine/wine_session.h"

static std::string outputOf(const std::string& command) {
  std::string out;
  EXPECT_EQ(runToEnd({"/bin/sh", "-c", command}, "/", &out), 0) << command << ": " << out;
  return out;
}

static std::string utf16(const std::string& ascii) {
  std::string out;
  for (char c : ascii) out += {c, '\0'};
  return out;
}

// DLLs that every Windows from 7 on has in its system folder.
const std::set<std::string> SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "opengl32.dll",
                                           "glu32.dll", "winmm.dll", "shlwapi.dll", "msvcrt.dll",
                                           "advapi32.dll", "shell32.dll", "ole32.dll", "comctl32.dll"};

TEST(WindowsPackage, EachProgramImportsOnlySystemDllsAndCarriesIconManifestAndVersion) {
  const std::string zip = windowsBuildDir() + "/../kaikuranta-" KK_PROJECT_VERSION "-windows-x86_64.zip";
  ASSERT_TRUE(std::filesystem::exists(zip)) << zip;
  const TempDir dir("kk-package");
  outputOf("unzip -q '" + zip + "' -d '" + dir.path + "'");

  std::istringstream found(outputOf("cd '" + dir.path + "' && find . -name '*.exe'"));
  const std::set<std::string> programs{std::istream_iterator<std::string>(found), {}};
  EXPECT_EQ(programs, (std::set<std::string>{"./kaikuranta/kaikuranta-render.exe", "./kaikuranta/kaikuranta.exe"}));

  for (const std::string& program : programs) {
    SCOPED_TRACE(program);
    const std::string path = "'" + dir.path + "/" + program + "'";
    std::istringstream dlls(
        outputOf("x86_64-w64-mingw32-objdump -p " + path + " | sed -n 's/.*DLL Name: //p' | tr A-Z a-z"));
    const std::set<std::string> imports{std::istream_iterator<std::string>(dlls), {}};
    EXPECT_TRUE(imports.count("kernel32.dll")) << "no import table read";
    // Section lines: "  0 .text  000cbb10 ...", "  9 .debug_info ...".
    const std::string sections = outputOf("x86_64-w64-mingw32-objdump -h " + path);
    EXPECT_NE(sections.find(" .text "), std::string::npos) << "no section table read";
    EXPECT_EQ(sections.find(" .debug"), std::string::npos) << sections;
    for (const std::string& dll : imports) EXPECT_TRUE(SYSTEM_DLLS.count(dll)) << "imports " << dll;

    // Explorer shows the first icon group; the loader reads manifest 1; version 1 is the one.
    const std::string resources = outputOf("wrestool -l " + path);
    EXPECT_EQ(resources.find("--type=14 "), resources.find("--type=14 --name=1 ")) << resources;
    const std::string ico = "'" + dir.path + "/icon.ico'";
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
