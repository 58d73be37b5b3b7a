#include "assets/textures.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "assets/frame_size.h"
#include "assets/jpeg_loader.h"
#include "tests/assets/test_pictures.h"
#include "tests/support/build_paths.h"
#include "tests/support/gl_fixture.h"

// A parameter of one level of `texture`, which it leaves bound.
static GLint query(GLuint texture, GLenum name, int level) {
  GLint value = 0;
  glBindTexture(GL_TEXTURE_2D, texture);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
  return value;
}

using LoadTexturesTest = GlTest;

// Which picture lands in which slot, upright and filtered how, shows in every frame; what the
// frames cannot show is checked here.
TEST_F(LoadTexturesTest, TheCardAloneKeepsAlphaAndTheCallersAlignmentSurvives) {
  ASSERT_EQ(chdir(buildDirectory().c_str()), 0);  // the show's data/ is made there
  glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
  // Mesa hands out texture names in sequence: the names between these two are loadTextures'.
  GLuint before = 0, after = 0;
  glGenTextures(1, &before);
  EXPECT_TRUE(loadTextures());
  glGenTextures(1, &after);
  EXPECT_EQ(after - before - 1, GLuint(TEX_CARD_RT + 1)) << "one name for each slot the show uses";
  for (int slot = 0; slot <= TEX_CARD_RT; ++slot) EXPECT_TRUE(glIsTexture(textures[slot])) << slot;
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
  GLint alignment = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 2);
  for (int slot : {TEX_SURFACE_RT, TEX_BLUR_RT, TEX_CARD_RT}) {
    SCOPED_TRACE(slot);
    EXPECT_EQ(query(textures[slot], GL_TEXTURE_INTERNAL_FORMAT, 0), slot == TEX_CARD_RT ? GL_RGBA : GL_RGB);
    EXPECT_EQ(query(textures[slot], GL_TEXTURE_WIDTH, 1), 0) << "render targets have a single level";
  }
}

// Frames twice the show's height and more read the pictures drawn at twice the size; smaller
// frames, and a data folder made before the copies, the show's own.
TEST_F(LoadTexturesTest, LargeFramesTakeTheSharperCopiesWhereTheFolderHasThem) {
  namespace fs = std::filesystem;
  const fs::path olderPath = fs::temp_directory_path() / ("kk_no_copies_" + std::to_string(getpid()));
  fs::remove_all(olderPath);
  fs::create_directories(olderPath);
  fs::copy(buildDirectory() + "/data", olderPath / "data");  // its files, not the copies' folder
  const std::string build = buildDirectory(), older = olderPath.string();
  struct Case { int height; std::string folder; int figureWidth, starWidth; };
  const Case cases[] = {{480, build, 512, 256}, {957, build, 512, 256}, {960, build, 1024, 512},
                        {1440, build, 1024, 512}, {1440, older, 512, 256}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.height) + " pixels high, in " + c.folder);
    ASSERT_EQ(chdir(c.folder.c_str()), 0);
    ASSERT_TRUE(setFrameHeight(c.height));
    loadTextures();
    EXPECT_EQ(query(textures[TEX_FIGURE], GL_TEXTURE_WIDTH, 0), c.figureWidth);
    EXPECT_EQ(query(textures[TEX_STAR], GL_TEXTURE_WIDTH, 0), c.starWidth);
    glDeleteTextures(TEX_SLOT_COUNT, textures);
  }
  setFrameHeight(480);
  ASSERT_EQ(chdir(build.c_str()), 0);
  fs::remove_all(olderPath);
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
    const Decoded decoded(file.path);
    ASSERT_NE(decoded.image, nullptr);
    glGenTextures(1, &table[1]);
    glBindTexture(GL_TEXTURE_2D, table[1]);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, w, h, GL_RGB, GL_UNSIGNED_BYTE, decoded.image->pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);  // as loadTexture finds it for the next picture
    int level = 0;
    for (; query(table[1], GL_TEXTURE_WIDTH, level) > 0; ++level) {
      for (GLenum side : {GL_TEXTURE_WIDTH, GL_TEXTURE_HEIGHT}) {
        ASSERT_EQ(query(table[0], side, level), query(table[1], side, level)) << "level " << level;
      }
      ASSERT_TRUE(readTexture(table[0], level) == readTexture(table[1], level)) << "level " << level;
    }
    EXPECT_EQ(query(table[0], GL_TEXTURE_WIDTH, level), 0) << "a level past the library's last";
    EXPECT_GT(level, 1);
    glDeleteTextures(2, table);
  }
}

#ifndef _WIN32  // POSIX error texts
TEST(LoadTextureDeathTest, AnUnusablePictureEndsTheProcessWithOneLineNamingIt) {
  // Why a file is refused is the loader's own tests' business; here, that the show ends on it.
  GLuint table[1] = {0};
  EXPECT_EXIT(loadTexture(table, "data/no-such-picture.jpg", 0), testing::ExitedWithCode(1),
              "^kaikuranta: cannot open data/no-such-picture\\.jpg: No such file or directory\n$");
}
#endif
