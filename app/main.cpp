#include "app/main_loop.h"

// The show takes no command line: it plays from the data/ folder of the working directory.
int main() { return runGuarded(runShow); }
