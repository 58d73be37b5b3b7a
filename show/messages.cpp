#include "show/messages.h"

#include "platform/gl.h"

#include <cmath>

#include "assets/bitmap_font.h"
#include "assets/frame_size.h"
#include "assets/textures.h"
#include "fx/quads.h"
#include "show/frame.h"
#include "timing/beat_timing.h"

// Each text is sized for its window: with the show's font the last words leave the card while
// the bubble closes, not before. They are passed to printText as its format, so none holds a '%'.
const char* const messages[MESSAGE_COUNT] = {
    "Hello, KUURAPIHA! This is KAIKURANTA, a small show by TUULIKELLO: Vinha, Helle and "
    "Rusko.",
    "We made this SILLY show for fun, in ONE SLEEPLESS night before today's big PARTY COMPO!!",
    "HIEKKALINNA 2027 is a three-day DEMOPARTY by the lake, 6-8 August 2027 - the BIGGEST "
    "and warmest party in the whole land this year!",
    "EVERY VISITOR gets a free pair of party SUNGLASSES, just like the ones our friend here "
    "wears! The big sound system in the main hall will make waves on the lake, and the "
    "competitions will be ones to talk about for years.",
    "More at www.hiekkalinna.example - SEE YOU AT THE LAKE. WELCOME!",
    "GREETS:KVARK,RUSE,VISP,LUMO,KAJU,PAJU,LEPA,SIRK,VANA,ORVO,TAKU,HIKI,MOWA,PIKO,RAJU,SUVI,"
    "TUPA,ULPU,VEKE,JYRY,NUPU",
    "And remember...",
    "KVARK SNORES!",
};

float messageFade = 0.0f;
const char* currentMessage = nullptr;
bool bubbleUpper = true;

namespace {

// Text runs right to left through the card at this many card pixels per second of the 640x480
// frame's card; a larger frame's card has more pixels, and the text crosses it as fast.
constexpr double SCROLL_PIXELS_PER_SECOND = 150.0;

struct ScheduleRow {
  float start;
  float end;
  int index;
  bool upper;
};

constexpr ScheduleRow SCHEDULE[] = {
    {14.0f, 31.0f, 0, true},    {31.0f, 48.0f, 1, false},  {48.0f, 71.0f, 2, true},
    {71.0f, 105.0f, 3, false},  {105.0f, 119.0f, 4, true}, {119.0f, 141.0f, 5, false},
    {141.0f, 148.0f, 6, true},  {148.0f, 154.5f, 7, true},
};

// Half-open on the left, so a window and the next one never both hold a time.
bool within(float a, float b) { return a < sceneTime && sceneTime <= b; }

double progress(float a, float b) {
  return (double(sceneTime) - double(a)) / (double(b) - double(a));
}

}  // namespace

void resetMessageState() {
  bubbleUpper = true;
  messageFade = 0.0f;
}

bool inTimeWindow(float a, float b) { return within(a, b); }

bool fadeInWindow(float a, float b, int index) {
  if (!within(a, b)) return false;
  currentMessage = messages[index];
  messageFade = float(progress(a, b));
  return true;
}

bool holdWindow(float a, float b, int index) {
  if (!within(a, b)) return false;
  currentMessage = messages[index];
  messageFade = 1.0f;
  return true;
}

bool fadeOutWindow(float a, float b, int index) {
  if (!within(a, b)) return false;
  currentMessage = messages[index];
  messageFade = float(1.0 - progress(a, b));
  return true;
}

bool messageSlot(float start, float end, int index, bool upper) {
  bubbleUpper = upper;
  const float openEnd = start + 2.0f;
  const float holdEnd = end - 3.0f;
  const float fadeEnd = end - 1.0f;
  if (fadeInWindow(start, openEnd, index) || holdWindow(openEnd, holdEnd, index) ||
      fadeOutWindow(holdEnd, fadeEnd, index)) {
    // Scroll 0 is the end of the fade-in: the text has arrived at the card's centre.
    renderTextCard(sceneTime - start - 2.0f, currentMessage);
    return true;
  }
  // The last second is a pause: the schedule stops here, but the bubble stays shut.
  return inTimeWindow(fadeEnd, end);
}

void runMessageSchedule() {
  for (const ScheduleRow& row : SCHEDULE) {
    if (messageSlot(row.start, row.end, row.index, row.upper)) return;
  }
}

void renderTextCard(float scroll, const char* text) {
  beginCapture(textures[TEX_CARD_RT]);
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glPushMatrix();
  glLoadIdentity();
  glTranslatef(0.0f, 0.0f, -1.0f);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glEnable(GL_BLEND);

  // The buffer under the card is black: adding the bubble picture leaves just the picture, and a
  // pass through the bubble's mask first would only multiply black by it.
  glBlendFunc(GL_ONE, GL_ONE);
  glBindTexture(GL_TEXTURE_2D, textures[TEX_BUBBLE]);
  drawWideQuad(1.0f);

  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  // Black text: on screen it shows as the dark cut-out of the bubble's mask.
  glColor3f(0.0f, 0.0f, 0.0f);
  glRasterPos2f(0.0f, 0.4f);
  // An empty bitmap only moves the raster position; this is what scrolls the text.
  glBitmap(0, 0, 0.0f, 0.0f, float(-SCROLL_PIXELS_PER_SECOND * frameScale() * double(scroll)), 0.0f, nullptr);
  printText(text);
  glPopMatrix();
  endCapture();
}

void drawBubble(float x, float y, float scaleY) {
  if (scaleY == 0.0f) return;
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glPushMatrix();
  glTranslatef(x, y, 0.0f);
  // The wobble follows the beat through pulsePhase as well as the time.
  const double b = double(pulsePhase) * 0.1 + double(sceneTime);
  const double a = 2.5 * b;
  glScalef(float(1.0 - 0.2 * std::sin(a)), float(double(scaleY) * (1.0 + 0.2 * std::cos(a))),
           1.0f);
  glRotatef(float(2.93 * std::sin(2.2 * b + 1.0)), 0.0f, 0.0f, 1.0f);
  glRotatef(float(3.0 * std::cos(b)), 0.0f, 1.0f, 0.0f);
  glRotatef(float(6.46 * std::sin(1.4 * b + 2.0)), 1.0f, 0.0f, 0.0f);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glEnable(GL_BLEND);
  // The mask cuts the bubble's shape out of the scene; the card then fills it.
  glBlendFunc(GL_DST_COLOR, GL_ZERO);
  glBindTexture(GL_TEXTURE_2D, textures[TEX_BUBBLE_MASK]);
  drawWideQuadFlipped(0.5f);
  glBlendFunc(GL_ONE, GL_ONE);
  glBindTexture(GL_TEXTURE_2D, textures[TEX_CARD_RT]);
  drawWideQuadFlipped(0.5f);
  glPopMatrix();
}
