#include "platform/headless_gl.h"

#include <SDL.h>

#include "platform/sdl2/pixel_format.h"

namespace platform {
namespace {
SDL_Window* window = nullptr;
SDL_GLContext context = nullptr;
}  // namespace

bool openHeadlessGl(int width, int height, std::string* error) {
  if (context) return true;
  // Asked for by name: the offscreen driver is what we want here, not a fallback.
  if (SDL_VideoInit("offscreen") != 0) {
    if (error) *error = SDL_GetError();
    return false;
  }
  requestShowPixelFormat();
  window = SDL_CreateWindow("headless", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!window) {
    if (error) *error = SDL_GetError();
    SDL_VideoQuit();
    return false;
  }
  context = SDL_GL_CreateContext(window);
  if (!context || SDL_GL_MakeCurrent(window, context) != 0) {
    if (error) *error = SDL_GetError();
    SDL_DestroyWindow(window);
    window = nullptr;
    context = nullptr;
    SDL_VideoQuit();
    return false;
  }
  return true;
}

void headlessSwap() {
  if (window) SDL_GL_SwapWindow(window);
}

}  // namespace platform
