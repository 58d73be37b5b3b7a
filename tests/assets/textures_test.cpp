#include "assets/textures.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>

#include "assets/jpeg_loader.h"
#include "platform/show_files.h"
#include "tests/assets/test_pictures.h"
#include "tests/support/build_paths.h"
#include "tests/support/gl_fixture.h"

namespace {

// A parameter of the bound texture, or of one of its levels.
GLint query(GLenum name, int level = -1) {
  GLint value = 0;
  level < 0 ? glGetTexParameteriv(GL_TEXTURE_2D, name, &value) : glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
  return value;
}

using LoadTexturesTest = GlTest;

TEST_F(LoadTexturesTest, EverySlotHoldsItsPictureOrRenderTarget) {
  ASSERT_EQ(chdir(buildDirectory().c_str()), 0);  // the show's data/ is made there
  glPixelStorei(GL_UNPACK_ALIGNMENT, 2);            // the caller's setting must survive the uploads
  EXPECT_TRUE(loadTextures());
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
  GLint alignment = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 2);

  const std::pair<int, const char*> pictures[] = {
      {TEX_SPIRAL, DATA_SPIRAL},         {TEX_FIGURE, DATA_FIGURE},   {TEX_FIGURE_MASK, DATA_FIGURE_MASK},
      {TEX_METAL, DATA_METAL},           {TEX_STAR, DATA_STAR},       {TEX_SIDE_A, DATA_SIDE_A},
      {TEX_SIDE_B, DATA_SIDE_B},         {TEX_SIDE_C, DATA_SIDE_C},   {TEX_SIDE_D, DATA_SIDE_D},
      {TEX_SPECIAL_A, DATA_SPECIAL_A},   {TEX_SPECIAL_B, DATA_SPECIAL_B}, {TEX_SPECIAL_C, DATA_SPECIAL_C},
      {TEX_BUBBLE, DATA_BUBBLE},         {TEX_BUBBLE_MASK, DATA_BUBBLE_MASK}};
  for (const auto& [slot, path] : pictures) {
    SCOPED_TRACE(path);
    RgbImage* image = decodeJpegFile(path);
    ASSERT_NE(image, nullptr);
    int w = 0, h = 0;
    const auto texels = readTexture(textures[slot], 0, &w, &h);
    ASSERT_EQ(w, image->width);
    ASSERT_EQ(h, image->height);
    size_t mismatches = 0;  // the show's pictures have power-of-two sides, so level 0 is the file
    for (size_t i = 0; i < size_t(w) * size_t(h); ++i) {
      mismatches += std::memcmp(&texels[i * 4], &image->pixels[i * 3], 3) != 0;
    }
    EXPECT_EQ(mismatches, 0u) << "another picture, or its rows out of order";
    freeRgbImage(image);
    glBindTexture(GL_TEXTURE_2D, textures[slot]);
    EXPECT_EQ(query(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(query(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    for (int level = 1, side = w / 2; side >= 1; ++level, side /= 2) {  // the show's pictures are square
      EXPECT_EQ(query(GL_TEXTURE_HEIGHT, level), side) << "mipmap level " << level;
    }
  }

  for (int slot : {TEX_SURFACE_RT, TEX_BLUR_RT, TEX_CARD_RT}) {
    SCOPED_TRACE(slot);
    glBindTexture(GL_TEXTURE_2D, textures[slot]);
    EXPECT_EQ(query(GL_TEXTURE_WIDTH, 0), 256);
    EXPECT_EQ(query(GL_TEXTURE_HEIGHT, 0), 256);
    EXPECT_EQ(query(GL_TEXTURE_INTERNAL_FORMAT, 0), slot == TEX_CARD_RT ? GL_RGBA : GL_RGB);
    EXPECT_EQ(query(GL_TEXTURE_WIDTH, 1), 0) << "render targets have a single level";
    EXPECT_EQ(query(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(query(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
  }
}

TEST_F(LoadTexturesTest, EveryMipmapLevelHasTheUtilityLibrarysTexels) {
  // Square, wide and narrow power-of-two sides (a side reaches 1 before the other), a single
  // column, and sides the library rescales (an odd width, whose rows only read right
  // byte-aligned); each level, texel for texel, against the library's.
  const std::pair<int, int> sizes[] = {{256, 256}, {64, 8}, {4, 32}, {1, 16}, {301, 200}};
  for (const auto& [w, h] : sizes) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    TempFile file("levels.jpg");
    writeJpeg(file.path, w, h, 3);
    GLuint table[2] = {0, 0};
    loadTexture(table, file.path.c_str(), 0);
    RgbImage* image = decodeJpegFile(file.path.c_str());
    ASSERT_NE(image, nullptr);
    glGenTextures(1, &table[1]);
    glBindTexture(GL_TEXTURE_2D, table[1]);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, w, h, GL_RGB, GL_UNSIGNED_BYTE, image->pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    freeRgbImage(image);
    int levels = 0;
    for (int level = 0;; ++level) {
      int ow = 0, oh = 0, rw = 0, rh = 0;
      const auto ours = readTexture(table[0], level, &ow, &oh);
      const auto library = readTexture(table[1], level, &rw, &rh);
      ASSERT_EQ(ow, rw) << "level " << level;
      ASSERT_EQ(oh, rh) << "level " << level;
      if (rw == 0) break;
      ASSERT_TRUE(ours == library) << "level " << level << " (" << rw << "x" << rh << ")";
      ++levels;
    }
    EXPECT_GT(levels, 1);
    glDeleteTextures(2, table);
  }
}

#ifndef _WIN32  // POSIX folders and error texts
TEST(LoadTextureDeathTest, AnUnusablePictureEndsTheProcessWithOneLineNamingIt) {
  TempFile png("png.jpg"), folder("folder.jpg");
  std::ofstream(png.path) << "\x89PNG\r\n\x1a\n";
  ASSERT_EQ(mkdir(folder.path.c_str(), 0700), 0);
  const std::pair<std::string, const char*> cases[] = {
      {"data/no-such-picture.jpg", "^kaikuranta: cannot open data/no-such-picture\\.jpg: No such file or directory\n$"},
      {png.path, "^kaikuranta: /[^\n]*png\\.jpg: Not a JPEG file: starts with 0x89 0x50\n$"},
      {folder.path, "^kaikuranta: /[^\n]*folder\\.jpg: is a folder, not a picture file\n$"}};
  for (const auto& [path, line] : cases) {
    GLuint table[1] = {0};
    EXPECT_EXIT(loadTexture(table, path.c_str(), 0), testing::ExitedWithCode(1), line);
  }
  rmdir(folder.path.c_str());
}
#endif

}  // namespace
