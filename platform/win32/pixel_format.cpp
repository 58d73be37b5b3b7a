#include "platform/win32/pixel_format.h"

namespace platform {

PixelFormatResult setShowPixelFormat(HDC dc, int colourBits) {
  PIXELFORMATDESCRIPTOR descriptor{};
  descriptor.nSize = sizeof descriptor;
  descriptor.nVersion = 1;
  descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  descriptor.iPixelType = PFD_TYPE_RGBA;
  descriptor.cColorBits = BYTE(colourBits);
  descriptor.cDepthBits = 16;
  descriptor.iLayerType = PFD_MAIN_PLANE;
  const int format = ChoosePixelFormat(dc, &descriptor);
  if (format == 0) return PixelFormatResult::NoneSuitable;
  if (!SetPixelFormat(dc, format, &descriptor)) return PixelFormatResult::NotSet;
  return PixelFormatResult::Set;
}

}  // namespace platform
