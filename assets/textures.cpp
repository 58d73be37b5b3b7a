#include "assets/textures.h"

GLuint textures[TEX_SLOT_COUNT];
