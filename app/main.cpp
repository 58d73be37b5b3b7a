#include "app/program.h"

// The show takes no command line: it plays from the data/ folder of the working directory.
int main() { return runGuarded(runShow); }
