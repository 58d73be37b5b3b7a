#include "platform/headless_gl.h"

#include "platform/win32/pixel_format.h"
#include "platform/win32/windows_api.h"

namespace platform {
namespace {
HWND window = nullptr;
HDC dc = nullptr;
HGLRC context = nullptr;

std::string lastError(const char* call) {
  return std::string(call) + " failed (error " + std::to_string(GetLastError()) + ")";
}

void release() {
  if (context) wglDeleteContext(context);
  if (dc) ReleaseDC(window, dc);
  if (window) DestroyWindow(window);
  context = nullptr;
  dc = nullptr;
  window = nullptr;
}

}  // namespace

bool openHeadlessGl(int width, int height, std::string* error) {
  if (context) return true;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  windowClass.style = CS_OWNDC;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "kaikuranta headless";
  RegisterClassA(&windowClass);
  // A window that is never shown: its back buffer is where the frames are drawn and read.
  window = CreateWindowExA(0, windowClass.lpszClassName, "headless", WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                           0, width, height, nullptr, nullptr, instance, nullptr);
  if (!window) {
    if (error) *error = lastError("CreateWindowExA");
    return false;
  }
  dc = GetDC(window);
  if (!dc || setShowPixelFormat(dc, 32) != PixelFormatResult::Set) {
    if (error) *error = lastError(dc ? "SetPixelFormat" : "GetDC");
    release();
    return false;
  }
  context = wglCreateContext(dc);
  if (!context || !wglMakeCurrent(dc, context)) {
    if (error) *error = lastError(context ? "wglMakeCurrent" : "wglCreateContext");
    release();
    return false;
  }
  return true;
}

void headlessSwap() {
  if (dc) SwapBuffers(dc);
}

}  // namespace platform
