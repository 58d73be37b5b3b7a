#include "platform/startup_memory.h"

namespace platform {

// The process heap grows in committed regions of its own; there is nothing the show could map
// ahead that the system does not already.
void prepareStartupMemory() {}

}  // namespace platform
