#pragma once
// Softens one 256x256 render target into another with chained four-tap passes on the GPU.
#include "platform/gl.h"
#include <cstdint>

void feedbackBlur(GLuint source, GLuint target, int32_t passes);
