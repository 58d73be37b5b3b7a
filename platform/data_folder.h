#pragma once
// Where the show's data/ is: looked for once at start, before anything reads a data file, in the
// working folder, beside the program, and where an installation puts it. Owns the found folder;
// program thread only (dataPath may be read from any thread once the search is done).
#include <string>
#include <vector>

namespace platform {

// The data/ folders searched, in order, as the user would name them: the working folder's, the
// one beside the program, and ../share/kaikuranta/data from the program's folder (installed).
std::vector<std::string> dataFolders();

// Chooses the first candidate whose data/ holds every picture of DATA_FILES (the music may be
// missing: the show then plays silent). False when none does; `*why` then names the first
// picture missing from the folder that came closest, and every folder searched.
bool findShowData(std::string* why);

// Where a data file (a DATA_ constant) is read from: the constant itself when the working
// folder's data/ was chosen (or no search was made), else its full path in the chosen folder.
std::string dataPath(const char* dataFile);

// Each backend's own: the folder of the running program, and the working folder, as the system
// names them (empty when it does not say); the character that separates a path's folders.
std::string programFolder();
std::string workingFolder();
extern const char PATH_SEPARATOR;
// What a user who is missing the data should do, for the messages; empty where the line alone says it.
extern const char* const DATA_MISSING_ADVICE;

}  // namespace platform
