#include "fx/grid_mesh.h"

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>

#include "tests/support/gl_fixture.h"

#if defined(__SANITIZE_ADDRESS__)
// Under AddressSanitizer a failed allocation must come back as null, as it does without it,
// so the mesh's own out-of-memory handling is what the death test sees.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
#endif

namespace {

// The show's mesh is never freed; meshes made by the tests give their arrays back.
struct TestMesh : GridMesh {
  ~TestMesh() {
    delete[] vertices;
    delete[] normals;
    delete[] texCoords;
    if (rowStrips) {
      for (int32_t j = 0; j < rows; ++j) delete[] rowStrips[j];
    }
    delete[] rowStrips;
  }
};

std::array<float, 3> position(TestMesh& mesh, int vertex) {
  const float* v = mesh.vertexArray() + 3 * vertex;
  return {v[0], v[1], v[2]};
}

TEST(GridMeshBuild, ShowMeshPositionsTextureCoordinatesAndStrips) {
  TestMesh mesh;
  EXPECT_EQ(mesh.drawMode, 0u);
  EXPECT_EQ(mesh.alpha, 1.0f);
  mesh.build(-1.3f, -1.0f, 2.67f, 2.0f, 48, 32, 1);
  EXPECT_EQ(mesh.columnCount(), 48);
  EXPECT_EQ(mesh.rowCount(), 32);
  EXPECT_EQ(mesh.drawMode, 1u);
  EXPECT_EQ((std::array<float, 3>{mesh.translation[0], mesh.translation[1], mesh.translation[2]}),
            (std::array<float, 3>{0, 0, 0}));

  EXPECT_EQ(position(mesh, 0), (std::array<float, 3>{-1.3f, -1.0f, 0}));
  EXPECT_EQ(position(mesh, 1568), (std::array<float, 3>{-1.3f, 1.0f, 0}));
  // 2.67f - 1.3f is one float step above 1.37f: the parameters arrive as floats.
  for (int vertex : {48, 1616}) {
    EXPECT_FLOAT_EQ(position(mesh, vertex)[0], 1.37f);
    EXPECT_EQ(position(mesh, vertex)[1], vertex == 48 ? -1.0f : 1.0f);
    EXPECT_EQ(position(mesh, vertex)[2], 0.0f);
  }
  // Row 16, column 24 sits in the middle: half the extent from the origin.
  EXPECT_FLOAT_EQ(position(mesh, 16 * 49 + 24)[0], -1.3f + 1.335f);
  EXPECT_FLOAT_EQ(position(mesh, 16 * 49 + 24)[1], 0.0f);

  const float* st = mesh.texCoords + 2 * (16 * 49 + 24);
  EXPECT_EQ(st[0], 0.5f);
  EXPECT_EQ(st[1], 0.5f);
  EXPECT_EQ(mesh.texCoords[0], 0.0f);
  EXPECT_EQ(mesh.texCoords[2 * 1616], 1.0f);
  EXPECT_EQ(mesh.texCoords[2 * 1616 + 1], 1.0f);

  const uint32_t* row0 = mesh.rowStrips[0];
  EXPECT_EQ((std::vector<uint32_t>(row0, row0 + 6)), (std::vector<uint32_t>{0, 49, 1, 50, 2, 51}));
  EXPECT_EQ(row0[96], 48u);
  EXPECT_EQ(row0[97], 97u);
  EXPECT_EQ(mesh.rowStrips[31][0], 1519u);
  EXPECT_EQ(mesh.rowStrips[31][1], 1568u);
  EXPECT_EQ(mesh.rowStrips[31][97], 1616u);
}

TEST(GridMeshBuild, SingleQuadMesh) {
  TestMesh mesh;
  mesh.build(2.0f, 3.0f, 4.0f, 5.0f, 1, 1, 0);
  EXPECT_EQ(position(mesh, 0), (std::array<float, 3>{2, 3, 0}));
  EXPECT_EQ(position(mesh, 1), (std::array<float, 3>{6, 3, 0}));
  EXPECT_EQ(position(mesh, 2), (std::array<float, 3>{2, 8, 0}));
  EXPECT_EQ(position(mesh, 3), (std::array<float, 3>{6, 8, 0}));
  EXPECT_EQ((std::vector<float>(mesh.texCoords, mesh.texCoords + 8)),
            (std::vector<float>{0, 0, 1, 0, 0, 1, 1, 1}));
  EXPECT_EQ((std::vector<uint32_t>(mesh.rowStrips[0], mesh.rowStrips[0] + 4)),
            (std::vector<uint32_t>{0, 2, 1, 3}));
}

// Run in a re-executed child so the address-space limit and the exit stay there.
class GridMeshDeathTest : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

void buildWithLittleMemory() {
  // Leave the process some room for small allocations but not for 400 MB of vertices.
  FILE* statm = std::fopen("/proc/self/statm", "r");
  unsigned long pages = 0;
  if (!statm || std::fscanf(statm, "%lu", &pages) != 1) std::abort();
  std::fclose(statm);
  const rlim_t limit = rlim_t(pages) * 4096 + (64u << 20);
  const rlimit rl{limit, limit};
  if (setrlimit(RLIMIT_AS, &rl) != 0) std::abort();
  TestMesh mesh;
  mesh.build(0, 0, 1, 1, 6000, 6000, 1);
}

TEST_F(GridMeshDeathTest, FailedAllocationEndsWithOneLineAndStatusOne) {
  EXPECT_EXIT(buildWithLittleMemory(), ::testing::ExitedWithCode(1),
              "^kaikuranta: out of memory building the surface mesh\n$");
}

TEST_F(GridMeshDeathTest, SizesThatCannotBeHeldAreRefused) {
  TestMesh mesh;
  EXPECT_EXIT(mesh.build(0, 0, 1, 1, 0, 32, 1), ::testing::ExitedWithCode(1),
              "^kaikuranta: cannot build a surface mesh of 0 x 32 quads\n$");
  EXPECT_EXIT(mesh.build(0, 0, 1, 1, 48, -3, 1), ::testing::ExitedWithCode(1), "-3 quads");
  // The vertex count would overflow 32-bit indices (and a naive int product).
  EXPECT_EXIT(mesh.build(0, 0, 1, 1, 100000, 100000, 1), ::testing::ExitedWithCode(1),
              "^kaikuranta: out of memory building the surface mesh\n$");
}

class GridMeshDrawTest : public GlTest {};

TEST_F(GridMeshDrawTest, DrawsTexturedStripsRowZeroAtTZero) {
  GLuint picture = makeTexture(2, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}, GL_NEAREST);
  glBindTexture(GL_TEXTURE_2D, picture);
  TestMesh mesh;
  mesh.build(-1.0f, -1.0f, 2.0f, 2.0f, 4, 3, 1);
  mesh.alpha = 0.75f;
  mesh.draw();
  // Identity matrices: the mesh covers the viewport, texture row 0 along grid row 0 (bottom).
  auto all = readPixels(0, 0, 640, 480);
  for (size_t i = 0; i < all.size(); i += 4) ASSERT_EQ(all[i + 3], 191) << "pixel " << i / 4;
  auto rgb = [](std::array<uint8_t, 4> p) { return std::array<int, 3>{p[0], p[1], p[2]}; };
  EXPECT_EQ(rgb(pixel(0, 0)), (std::array<int, 3>{255, 0, 0}));
  EXPECT_EQ(rgb(pixel(639, 0)), (std::array<int, 3>{0, 255, 0}));
  EXPECT_EQ(rgb(pixel(0, 479)), (std::array<int, 3>{0, 0, 255}));
  EXPECT_EQ(rgb(pixel(639, 479)), (std::array<int, 3>{255, 255, 255}));

  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_EQ(colour[3], 0.75f);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
  glDeleteTextures(1, &picture);
}

TEST_F(GridMeshDrawTest, DrawModeTwoDrawsNothingButStillTranslates) {
  GLuint picture = makeTexture(1, 1, {255, 255, 255});
  glBindTexture(GL_TEXTURE_2D, picture);
  TestMesh mesh;
  mesh.build(-1.0f, -1.0f, 2.0f, 2.0f, 4, 3, 2);
  mesh.translation[0] = 0.25f;
  mesh.translation[2] = -0.5f;
  mesh.draw();
  auto all = readPixels(0, 0, 640, 480);
  size_t drawn = 0;
  for (size_t i = 0; i < all.size(); i += 4) drawn += all[i + 3] != 128;
  EXPECT_EQ(drawn, 0u);

  GLfloat m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  EXPECT_EQ(m[12], 0.25f);
  EXPECT_EQ(m[13], 0.0f);
  EXPECT_EQ(m[14], -0.5f);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
  glDeleteTextures(1, &picture);
}

}  // namespace
