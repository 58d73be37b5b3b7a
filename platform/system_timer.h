#pragma once
// What each backend provides beneath the shared clock: the system's own millisecond timer.
// Used only inside platform/.
#include <cstdint>

namespace platform {

// The real timer's reading in milliseconds, wrapping at 2^32.
uint32_t systemMilliseconds();

}  // namespace platform
