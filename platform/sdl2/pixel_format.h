#pragma once
// The pixel format every context of the show asks for: compatibility profile (the show draws in
// immediate mode), double-buffered RGBA 8-8-8-8, a depth buffer of at least 16 bits. Set before
// a GL window is created.

namespace platform {
void requestShowPixelFormat();
}  // namespace platform
