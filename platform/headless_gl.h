#pragma once
// A GL context without a visible window, for the offline renderer and the GL tests: on Linux
// SDL's offscreen video driver (EGL underneath, Mesa's llvmpipe here), on Windows a WGL context
// on a window that is never shown. A compatibility-profile context with a double-buffered RGBA
// back buffer of the given size and a depth buffer, made current on the calling thread. Drawing
// goes to GL_BACK; glReadPixels and copies into textures read it.
#include <string>

namespace platform {

// Opens the context once per process; later calls return true at once. On failure returns
// false and puts the system's reason in *error.
bool openHeadlessGl(int width, int height, std::string* error);

// Presents the back buffer (a swap; with the offscreen driver nothing waits).
void headlessSwap();

}  // namespace platform
