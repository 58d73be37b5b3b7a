#pragma once
// The pixel format of every GL window of the Windows backend: double-buffered RGBA drawn to a
// window with OpenGL, the given colour bits and a 16-bit depth buffer. Program thread only.
#include "platform/win32/windows_api.h"

namespace platform {

enum class PixelFormatResult { Set, NoneSuitable, NotSet };

// Chooses the closest format the driver has for the descriptor and sets it on `dc`.
PixelFormatResult setShowPixelFormat(HDC dc, int colourBits);

}  // namespace platform
