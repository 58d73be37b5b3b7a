#pragma once
// Softens one render target into another with chained four-tap passes on the GPU. Draws only in
// the buffer's lower-left corner (cornerSize(): 256x256 at 640x480) and leaves blending and depth
// testing off.
#include "platform/gl.h"
#include <cstdint>

void feedbackBlur(GLuint source, GLuint target, int32_t passes);
