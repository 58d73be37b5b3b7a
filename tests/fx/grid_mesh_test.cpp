#include "fx/grid_mesh.h"

#include <sys/resource.h>

#include <algorithm>
#include <fstream>

#include "tests/support/gl_fixture.h"

#if defined(__SANITIZE_ADDRESS__)
// A failed allocation must come back as null under ASan too, so the mesh's own handling shows.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
#endif

template <typename T>
static std::vector<T> first(const T* p, int n) { return {p, p + n}; }

// The show's own sheet rewrites its positions every frame and shows in every frame; here, what a
// mesh of any size is built and drawn as.
TEST(GridMeshBuild, PositionsTextureCoordinatesAndStrips) {
  static GridMesh mesh;  // never freed, like the show's
  mesh.build(2.0f, 3.0f, 4.0f, 5.0f, 2, 1, 0);  // two quads side by side, 4 by 5 from (2, 3)
  EXPECT_EQ(first(mesh.vertices, 18), (std::vector<float>{2, 3, 0, 4, 3, 0, 6, 3, 0, 2, 8, 0, 4, 8, 0, 6, 8, 0}));
  EXPECT_EQ(first(mesh.texCoords, 12), (std::vector<float>{0, 0, 0.5f, 0, 1, 0, 0, 1, 0.5f, 1, 1, 1}));
  EXPECT_EQ(first(mesh.rowStrips[0], 6), (std::vector<uint32_t>{0, 3, 1, 4, 2, 5}));
}

TEST(GridMeshDeathTest, FailuresEndWithOneLineAndStatusOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const char* oom = "^kaikuranta: out of memory building the surface mesh\n$";
  GridMesh mesh;
  EXPECT_EXIT(mesh.build(0, 0, 1, 1, 0, 32, 1), ::testing::ExitedWithCode(1),
              "^kaikuranta: cannot build a surface mesh of 0 x 32 quads\n$");
  // More vertices than 32-bit indices (or a naive int product) can number.
  EXPECT_EXIT(mesh.build(0, 0, 1, 1, 100000, 100000, 1), ::testing::ExitedWithCode(1), oom);
  auto buildWithLittleMemory = [&] {
    unsigned long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t limit = rlim_t(pages) * 4096 + (64u << 20);  // no room for 400 MB of vertices
    const rlimit rl{limit, limit};
    if (setrlimit(RLIMIT_AS, &rl) == 0) mesh.build(0, 0, 1, 1, 6000, 6000, 1);
  };
  EXPECT_EXIT(buildWithLittleMemory(), ::testing::ExitedWithCode(1), oom);
}

using GridMeshDrawTest = GlTest;

TEST_F(GridMeshDrawTest, DrawsStripsRowZeroAtTZeroUnlessModeTwo) {
  GLuint picture = makeTexture(2, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}, GL_NEAREST);
  static GridMesh mesh;
  mesh.build(-1.0f, -1.0f, 2.0f, 2.0f, 4, 3, 1);
  mesh.alpha = 0.75f;
  mesh.draw();  // identity matrices: the mesh covers the viewport
  const struct { int x, y; std::vector<uint8_t> rgba; } corners[] = {{0, 0, {255, 0, 0, 191}},
      {639, 0, {0, 255, 0, 191}}, {0, 479, {0, 0, 255, 191}}, {639, 479, {255, 255, 255, 191}}};
  for (const auto& c : corners) EXPECT_EQ(readPixels(c.x, c.y, 1, 1), c.rgba);

  glClear(GL_COLOR_BUFFER_BIT);
  mesh.drawMode = 2;
  mesh.translation[0] = 0.25f;
  mesh.draw();
  auto all = readPixels(0, 0, 640, 480);
  EXPECT_EQ(size_t(std::count(all.begin(), all.end(), 128)), all.size() / 4) << "nothing drawn";
  GLfloat m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  EXPECT_EQ(m[12], 0.25f);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D) || glIsEnabled(GL_VERTEX_ARRAY) || glIsEnabled(GL_NORMAL_ARRAY) ||
               glIsEnabled(GL_TEXTURE_COORD_ARRAY));
  glDeleteTextures(1, &picture);
}
