#pragma once
// The eight messages, their schedule, the text card and the wobbling speech bubble.
// Owns messageFade, currentMessage and bubbleUpper; reads sceneTime and pulsePhase.
// Program thread, context current.

constexpr int MESSAGE_COUNT = 8;
extern const char* const messages[MESSAGE_COUNT];

extern float messageFade;           // 0..1: how far the bubble is open this frame
extern const char* currentMessage;  // last message made visible; null at start
extern bool bubbleUpper;            // upper or lower bubble position

bool messageSlot(float start, float end, int index, bool upper);
bool fadeInWindow(float a, float b, int index);
bool holdWindow(float a, float b, int index);
bool fadeOutWindow(float a, float b, int index);
bool inTimeWindow(float a, float b);
// The eight rows in order, stopping at the first that reports true.
void runMessageSchedule();
void renderTextCard(float scroll, const char* text);
void drawBubble(float x, float y, float scaleY);

// The frame's reset before the schedule runs: bubble in the upper position, fade 0.
void resetMessageState();
