#include "platform/data_folder.h"

#include <sys/stat.h>

#include <cstring>

#include "platform/show_files.h"

namespace platform {
namespace {

// The folder whose data/ the show reads; empty for the working folder's, named as the constants
// name it, so that every message about a file reads as it always has.
std::string chosenFolder;

// `dataFile` ("data/star.jpg") inside `folder`, in the system's own spelling.
std::string joined(const std::string& folder, const char* dataFile) {
  std::string path = folder;
  if (!path.empty() && path.back() != PATH_SEPARATOR && path.back() != '/') path += PATH_SEPARATOR;
  for (const char* c = dataFile; *c; ++c) path += *c == '/' ? PATH_SEPARATOR : *c;
  return path;
}

bool isSeparator(char c) { return c == PATH_SEPARATOR || c == '/'; }

// The folder that holds `folder`; a root ("/", "C:\\") is its own.
std::string parentOf(std::string folder) {
  while (folder.size() > 1 && isSeparator(folder.back()) && folder[folder.size() - 2] != ':') folder.pop_back();
  size_t last = folder.size();
  while (last > 0 && !isSeparator(folder[last - 1])) --last;
  if (last == 0 || last == folder.size()) return folder;
  --last;
  if (last == 0 || folder[last - 1] == ':') return folder.substr(0, last + 1);
  return folder.substr(0, last);
}

bool exists(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0;
}

// The folders that may hold data/, in the order they are searched.
std::vector<std::string> dataFolderCandidates() {
  std::vector<std::string> folders;
  const std::string working = workingFolder();
  folders.push_back(working.empty() ? std::string(".") : working);
  const std::string program = programFolder();
  if (!program.empty()) {
    if (program != working) folders.push_back(program);
    folders.push_back(joined(parentOf(program), "share/kaikuranta"));
  }
  return folders;
}

}  // namespace

std::vector<std::string> dataFolders() {
  std::vector<std::string> folders;
  for (const std::string& folder : dataFolderCandidates()) folders.push_back(joined(folder, DATA_FOLDER));
  return folders;
}

bool findShowData(std::string* why) {
  const std::vector<std::string> folders = dataFolderCandidates();
  size_t closest = 0;
  int closestHeld = -1;
  const char* closestMissing = nullptr;
  for (size_t i = 0; i < folders.size(); ++i) {
    int held = 0;
    const char* missing = nullptr;
    for (const char* file : DATA_FILES) {
      if (std::strcmp(file, DATA_MUSIC) == 0) continue;
      // The working folder's by the names the show has always used.
      if (exists(i == 0 ? std::string(file) : joined(folders[i], file))) {
        ++held;
      } else if (!missing) {
        missing = file;
      }
    }
    if (!missing) {
      chosenFolder = i == 0 ? std::string() : folders[i];
      return true;
    }
    if (held > closestHeld) {
      closest = i;
      closestHeld = held;
      closestMissing = missing;
    }
  }
  if (why) {
    *why = std::string("cannot find the show's data: ") + dataFileName(closestMissing) + " is missing from " +
           joined(folders[closest], DATA_FOLDER) + " (searched";
    const std::vector<std::string> searched = dataFolders();
    for (size_t i = 0; i < searched.size(); ++i) *why += (i ? ", " : " ") + searched[i];
    *why += ")";
    if (*DATA_MISSING_ADVICE) *why += std::string(". ") + DATA_MISSING_ADVICE;
  }
  return false;
}

std::string dataPath(const char* dataFile) {
  return chosenFolder.empty() ? std::string(dataFile) : joined(chosenFolder, dataFile);
}

}  // namespace platform
