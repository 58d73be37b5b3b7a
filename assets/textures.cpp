#include "assets/textures.h"

#include "platform/gl.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "assets/frame_size.h"
#include "assets/jpeg_loader.h"
#include "assets/mipmaps.h"
#include "platform/data_folder.h"
#include "platform/report.h"
#include "platform/show_files.h"

GLuint textures[TEX_SLOT_COUNT];

namespace {

// The effects capture into and copy between these; their contents are always written earlier in
// the frame that reads them, so they start without data.
void defineRenderTarget(int slot, GLenum format) {
  glGenTextures(1, &textures[slot]);
  glBindTexture(GL_TEXTURE_2D, textures[slot]);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GLint(format), cornerSize(), cornerSize(), 0, format, GL_UNSIGNED_BYTE,
               nullptr);
}

struct Picture {
  int slot;
  const char* path;
};

// Loaded in slot order; the render-target slots 4, 5 and 16 sit between them.
constexpr Picture PICTURES[] = {
    {TEX_SPIRAL, DATA_SPIRAL},         {TEX_FIGURE, DATA_FIGURE},
    {TEX_FIGURE_MASK, DATA_FIGURE_MASK}, {TEX_METAL, DATA_METAL},
    {TEX_STAR, DATA_STAR},             {TEX_SIDE_A, DATA_SIDE_A},
    {TEX_SIDE_B, DATA_SIDE_B},         {TEX_SIDE_C, DATA_SIDE_C},
    {TEX_SIDE_D, DATA_SIDE_D},         {TEX_SPECIAL_A, DATA_SPECIAL_A},
    {TEX_SPECIAL_B, DATA_SPECIAL_B},   {TEX_SPECIAL_C, DATA_SPECIAL_C},
    {TEX_BUBBLE, DATA_BUBBLE},         {TEX_BUBBLE_MASK, DATA_BUBBLE_MASK},
};

// From twice the show's own height up the pictures are drawn larger than they were painted (the
// figure 1.1 times at 960 pixels high, 1.7 times at 1440): there each is read from its copy drawn
// at twice the size, whose outlines stay sharp.
constexpr double SHARP_COPY_SCALE = 2.0;

// Where the picture `path` (a DATA_ constant) is read from at this frame size: its sharper copy
// when the frame is large enough and the data folder holds one (a folder made before the copies
// has none), else the picture itself.
std::string picturePath(const char* path) {
  if (frameScale() >= SHARP_COPY_SCALE) {
    const std::string sharp = platform::dataPath(sharpCopyPath(path).c_str());
    std::error_code error;
    if (std::filesystem::is_regular_file(sharp, error)) return sharp;
  }
  return platform::dataPath(path);
}

// The largest side the CPU-made mipmaps are used for; a GL may take larger textures still,
// those go through the utility library like any other picture.
constexpr int MAX_CPU_MIPMAP_SIDE = 16384;

// Uploads `image` and its mipmaps into the bound texture. Pictures whose sides are powers of two
// get the utility library's texels made here, in less time than the library takes (it copies
// and checks each level through the GL); any other size is rescaled by the library itself.
void uploadMipmapped(const RgbImage& image) {
  GLint maxSide = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
  std::vector<MipLevel> levels;
  if (halvesExactly(image.width, image.height, std::min(int(maxSide), MAX_CPU_MIPMAP_SIDE))) {
    try {
      levels = buildMipChain(image.pixels, image.width, image.height);
    } catch (const std::bad_alloc&) {
      levels.clear();  // no memory for them here: the library may still manage
    }
  }
  if (levels.empty()) {
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, image.width, image.height, GL_RGB, GL_UNSIGNED_BYTE,
                      image.pixels);
    return;
  }
  glTexImage2D(GL_TEXTURE_2D, 0, 3, image.width, image.height, 0, GL_RGB, GL_UNSIGNED_BYTE,
               image.pixels);
  for (size_t i = 0; i < levels.size(); ++i) {
    glTexImage2D(GL_TEXTURE_2D, GLint(i + 1), 3, levels[i].width, levels[i].height, 0, GL_RGB,
                 GL_UNSIGNED_BYTE, levels[i].rgb.data());
  }
}

}  // namespace

// Each slot is named once, by what defines it.
bool loadTextures() {
  defineRenderTarget(TEX_SURFACE_RT, GL_RGB);
  defineRenderTarget(TEX_BLUR_RT, GL_RGB);
  defineRenderTarget(TEX_CARD_RT, GL_RGBA);
  for (const Picture& picture : PICTURES) {
    loadTexture(textures, picturePath(picture.path).c_str(), picture.slot);
  }
  return true;
}

void loadTexture(GLuint* table, const char* path, int slot) {
  std::string failure;
  RgbImage* image = decodeJpegFile(path, &failure);
  if (!image) {
    // The show cannot run without its pictures. std::exit still runs the exit handlers, so the
    // desktop display mode comes back (and on Windows the message then appears in a box).
    platform::reportFatal("%s", failure.c_str());
    std::exit(1);
  }
  glGenTextures(1, &table[slot]);
  glBindTexture(GL_TEXTURE_2D, table[slot]);
  // Picture rows are packed without padding, so any width reads correctly only byte-aligned.
  GLint alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  uploadMipmapped(*image);
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  freeRgbImage(image);
}
