#include "tests/support/scratch_dir.h"

#include <dirent.h>
#include <ftw.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <set>

namespace {

std::set<std::string>& liveDirs() {
  static auto* dirs = new std::set<std::string>();  // outlives every static destructor
  return *dirs;
}

int removeEntry(const char* path, const struct stat*, int, struct FTW*) {
  std::remove(path);
  return 0;
}

void removeTree(const std::string& path) {
  nftw(path.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

void removeLiveDirs() {
  for (const std::string& dir : liveDirs()) removeTree(dir);
  liveDirs().clear();
}

}  // namespace

ScratchDir::ScratchDir() {
  static const bool registered = std::atexit(removeLiveDirs) == 0;
  (void)registered;
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/kk-test-XXXXXX";
  if (mkdtemp(pattern.data())) {
    path_ = pattern;
    liveDirs().insert(path_);
  } else {
    std::perror("mkdtemp");
  }
}

ScratchDir::~ScratchDir() {
  if (path_.empty()) return;
  removeTree(path_);
  liveDirs().erase(path_);
}

std::string ScratchDir::file(const std::string& relative) const { return path_ + "/" + relative; }

std::string ScratchDir::makeDir(const std::string& name) const {
  const std::string full = file(name);
  mkdir(full.c_str(), 0755);
  return full;
}

WorkingDirectory::WorkingDirectory(const std::string& path) {
  char buffer[PATH_MAX];
  if (getcwd(buffer, sizeof buffer)) previous_ = buffer;
  if (chdir(path.c_str()) != 0) std::perror(path.c_str());
}

WorkingDirectory::~WorkingDirectory() {
  if (!previous_.empty() && chdir(previous_.c_str()) != 0) std::perror(previous_.c_str());
}

bool writeFileBytes(const std::string& path, const std::string& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

std::string readFileBytes(const std::string& path) {
  std::string bytes;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return bytes;
  char chunk[4096];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
  std::fclose(file);
  return bytes;
}

int openDescriptorCount() {
  DIR* dir = opendir("/proc/self/fd");
  if (!dir) return -1;
  int count = 0;
  while (readdir(dir)) ++count;
  closedir(dir);
  return count;
}
