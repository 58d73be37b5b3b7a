#include "app/window.h"

#include "platform/gl.h"

#include <string>

#include "assets/frame_size.h"
#include "platform/report.h"

platform::Window* hWnd = nullptr;
platform::Window* hDC = nullptr;
platform::GlContext* hRC = nullptr;
bool fullscreen = true;
ScreenUse screenUse = ScreenUse::ModeSwitch;
bool frameFitsFirstWindow = false;

namespace {

void errorBox(const char* text) {
  platform::messageBox(text, "ERROR", platform::MessageButtons::Ok, platform::MessageIcon::Exclamation);
}

void shutdownBox(const char* text) {
  platform::messageBox(text, "SHUTDOWN ERROR", platform::MessageButtons::Ok,
                       platform::MessageIcon::Information);
}

// The box for a window that could not be made, by the step that failed.
const char* windowFailureText(platform::WindowStep step) {
  switch (step) {
    case platform::WindowStep::DeviceContext: return "Can't Create A GL Device Context.";
    case platform::WindowStep::ChoosePixelFormat: return "Can't Find A Suitable PixelFormat.";
    case platform::WindowStep::SetPixelFormat: return "Can't Set The PixelFormat.";
    default: return "Window Creation Error.";
  }
}

// The library's own reason goes to standard error beside the fixed text of the box.
void explain(const std::string& why) {
  if (!why.empty()) platform::report("%s", why.c_str());
}

// openWindow's steps. With `unsharedWhy` given, a context that cannot share the show's objects
// is not reported in a box: the window is closed again and the reason handed back.
bool openWindowSteps(const char* title, int width, int height, bool fullscreenRequested,
                     std::string* unsharedWhy) {
  fullscreen = fullscreenRequested;
  std::string why;
  if (!platform::videoStart(&why)) {
    explain(why);
    errorBox("Failed To Register The Window Class.");
    return false;
  }

  if (fullscreen && screenUse == ScreenUse::OverDesktop) {
    platform::WindowStep failed = platform::WindowStep::Window;
    hWnd = platform::windowCreateOverDesktop(title, &why, &failed);
    if (!hWnd) {
      closeWindow();
      explain(why);
      errorBox(windowFailureText(failed));
      return false;
    }
    platform::showCursor(false);
  } else if (fullscreen) {
    // The display refuses the mode when it has no exact 640x480 mode or will not switch to it.
    platform::WindowStep failed = platform::WindowStep::Mode;
    if (platform::displayOffersMode(width, height)) {
      hWnd = platform::windowCreate(title, width, height, true, &why, &failed);
    }
    if (!hWnd && failed != platform::WindowStep::Mode) {
      // The mode was granted; the window or its pixel format was not.
      closeWindow();
      explain(why);
      errorBox(windowFailureText(failed));
      return false;
    }
    if (!hWnd) {
      platform::MessageAnswer answer = platform::messageBox(
          "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?",
          "Tuli GL", platform::MessageButtons::YesNo, platform::MessageIcon::Exclamation);
      if (answer != platform::MessageAnswer::Yes) {
        platform::messageBox("Program Will Now Close.", "ERROR", platform::MessageButtons::Ok,
                             platform::MessageIcon::Stop);
        return false;
      }
      fullscreen = false;
    } else {
      platform::showCursor(false);
    }
  }

  if (!hWnd) {
    platform::WindowStep failed = platform::WindowStep::Window;
    hWnd = platform::windowCreate(title, width, height, false, &why, &failed);
    if (!hWnd) {
      closeWindow();
      explain(why);
      errorBox(windowFailureText(failed));
      return false;
    }
  }
  hDC = hWnd;

  bool unshared = false;
  hRC = platform::contextCreate(hWnd, &why, &unshared);
  if (!hRC) {
    closeWindow();
    if (unshared && unsharedWhy) {
      *unsharedWhy = why;
      return false;
    }
    explain(why);
    errorBox("Can't Create A GL Rendering Context.");
    return false;
  }
  if (!platform::contextMakeCurrent(hWnd, hRC)) {
    closeWindow();
    errorBox("Can't Activate The GL Rendering Context.");
    return false;
  }

  platform::windowShow(hWnd);
  int drawableWidth = width, drawableHeight = height;
  if (screenUse == ScreenUse::OverDesktop) {
    platform::windowClientSize(hWnd, &drawableWidth, &drawableHeight);
    if (frameFitsFirstWindow) setFrameHeight(fittingFrameHeight(drawableWidth, drawableHeight));
    frameFitsFirstWindow = false;
  }
  placeFrameIn(drawableWidth, drawableHeight);
  setProjection(frameSize().width, frameSize().height);
  if (!initGLState()) {
    closeWindow();
    errorBox("Initialization Failed.");
    return false;
  }
  return true;
}

}  // namespace

bool openWindow(const char* title, int width, int height, int /*bits*/, bool fullscreenRequested) {
  return openWindowSteps(title, width, height, fullscreenRequested, nullptr);
}

bool toggleFullscreen(const char* title, int width, int height, int bits) {
  const bool wasFullscreen = fullscreen;
  closeWindow();
  std::string why;
  if (openWindowSteps(title, width, height, !wasFullscreen, &why)) return true;
  if (why.empty()) return false;
  // Its pictures and glyphs would all be blank there: the show goes on in the mode it had.
  platform::report("cannot switch to %s: %s", wasFullscreen ? "a window" : "fullscreen", why.c_str());
  return openWindow(title, width, height, bits, wasFullscreen);
}

void closeWindow() {
  if (fullscreen) {
    platform::windowLeaveFullscreen(hWnd);
    platform::showCursor(true);
  }
  if (hRC) {
    if (!platform::contextMakeCurrent(nullptr, nullptr)) shutdownBox("Release Of DC And RC Failed.");
    if (!platform::contextDelete(hRC)) shutdownBox("Release Rendering Context Failed.");
    hRC = nullptr;
  }
  if (hWnd) {
    // Released handles are cleared, so a second close never touches a destroyed window.
    const platform::WindowRelease released = platform::windowDestroy(hWnd);
    if (!released.drawableReleased) shutdownBox("Release Device Context Failed.");
    if (!released.windowDestroyed) shutdownBox("Could Not Release hWnd.");
    hWnd = nullptr;
  }
  hDC = nullptr;
  if (!platform::videoRelease()) shutdownBox("Could Not Unregister Class.");
}

void setProjection(int width, int height) {
  if (height == 0) height = 1;
  glViewport(frameOrigin().x, frameOrigin().y, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(PROJECTION_FOV_DEGREES, double(width) / double(height), PROJECTION_NEAR,
                 PROJECTION_FAR);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

bool initGLState() {
  glEnable(GL_TEXTURE_2D);
  glShadeModel(GL_SMOOTH);
  glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  return true;
}
