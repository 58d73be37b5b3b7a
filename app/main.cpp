#include "app/program.h"
#include "platform/display.h"

// The show takes no command line: it plays from the data/ folder it finds. A Windows user has no
// console: what ends the program is shown in a box as well.
int main() {
  platform::showFatalReportAtExit("Kaikuranta");
  return runGuarded(runShow);
}
