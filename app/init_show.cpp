#include "app/init_show.h"

#include "platform/gl.h"

#include <cstdlib>
#include <new>

#include "assets/bitmap_font.h"
#include "assets/textures.h"
#include "fx/grid_mesh.h"
#include "platform/display.h"
#include "platform/report.h"
#include "show/stars.h"
#include "timing/beat_timing.h"
#include "timing/demo_clock.h"
#include "timing/music.h"

bool swapIntervalAccepted = false;

bool requestSwapInterval() { return platform::setSwapInterval(1); }

bool initShow() {
  swapIntervalAccepted = requestSwapInterval();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  buildFont();
  resetBeatState();
  seedStars();
  loadTextures();
  glEnable(GL_BLEND);

  surfaceMesh = new (std::nothrow) GridMesh;
  if (!surfaceMesh) {
    platform::reportFatal("out of memory creating the surface mesh");
    std::exit(1);
  }
  buildSurfaceMesh(surfaceMesh);

  resetBeatIndex();
  startMusic();
  // Show time 0 is the moment playback starts.
  showClock.start();
  return true;
}
