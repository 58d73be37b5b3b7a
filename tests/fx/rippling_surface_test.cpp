#include "fx/rippling_surface.h"

#include <cmath>
#include <cstring>

#include "assets/textures.h"
#include "fx/grid_mesh.h"
#include "fx/quads.h"
#include "show/frame.h"
#include "tests/fx/fx_pictures.h"
#include "tests/support/gl_fixture.h"

namespace {

constexpr int COLS = 48, ROWS = 32, VERTEX_COUNT = 49 * 33;

class RipplingSurfaceTest : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    if (!surfaceMesh) {
      surfaceMesh = new GridMesh;
      surfaceMesh->build(-1.3f, -1.0f, 2.67f, 2.0f, COLS, ROWS, 1);
    }
    if (!textures[TEX_METAL]) textures[TEX_METAL] = makeTexture(256, 256, sphereMapPicture());
  }

  static const float* vertex(int i, int k) { return surfaceMesh->vertexArray() + 3 * (i * 49 + k); }
  static const float* normal(int i, int k) { return surfaceMesh->normalArray() + 3 * (i * 49 + k); }

  static void surfaceAt(float t) {
    sceneTime = t;
    drawSurface();
  }
};

TEST_F(RipplingSurfaceTest, WorkedPositionsAndCornerNormal) {
  surfaceAt(0.0f);
  EXPECT_EQ(vertex(0, 0)[0], -1.5f);
  EXPECT_EQ(vertex(0, 0)[1], -1.0f);
  EXPECT_EQ(vertex(0, 0)[2], 0.5f);
  EXPECT_NEAR(vertex(0, 1)[2], 0.6153209, 5e-8);
  // The corner touches one triangle, so its normal is that face's.
  EXPECT_NEAR(normal(0, 0)[0], 0.83525, 5e-6);
  EXPECT_NEAR(normal(0, 0)[1], -0.26307, 5e-6);
  EXPECT_NEAR(normal(0, 0)[2], -0.48286, 5e-6);

  surfaceAt(1.0f);
  EXPECT_NEAR(vertex(1, 1)[2], 0.3103063, 5e-8);
  // Row 1 lies 2.7 / 32 above row 0; column 1 lies 3.2 / 48 right of column 0.
  EXPECT_EQ(vertex(1, 1)[0], float(1.0 / 48 * 3.2 - 1.5));
  EXPECT_EQ(vertex(1, 1)[1], float(1.0 / 32 * 2.7 - 1.0));
}

// At any time the sheet keeps its corners and its height band, and every vertex normal is the
// normalised sum of the unit normals of the triangles GL draws around it, taken here from the
// mesh's own strips with GL's alternating strip winding.
TEST_F(RipplingSurfaceTest, SheetAndNormalsFollowTheStripsAtAnyTime) {
  for (float t : {0.0f, 0.37f, 23.4f, 80.0f, 154.5f}) {
    SCOPED_TRACE(t);
    surfaceAt(t);
    EXPECT_EQ((std::array<float, 2>{vertex(0, 0)[0], vertex(0, 0)[1]}), (std::array<float, 2>{-1.5f, -1.0f}));
    EXPECT_EQ((std::array<float, 2>{vertex(ROWS, COLS)[0], vertex(ROWS, COLS)[1]}),
              (std::array<float, 2>{1.7f, 1.7f}));
    const float* v = surfaceMesh->vertexArray();
    std::vector<double> sum(size_t(VERTEX_COUNT) * 3, 0.0);
    for (int j = 0; j < ROWS; ++j) {
      const uint32_t* strip = surfaceMesh->rowStrips[j];
      for (int m = 0; m + 2 < 2 * COLS + 2; ++m) {
        const uint32_t a = strip[m % 2 ? m + 1 : m], b = strip[m % 2 ? m : m + 1], c = strip[m + 2];
        double e[2][3], n[3];
        for (int axis = 0; axis < 3; ++axis) {
          e[0][axis] = double(v[3 * b + axis]) - v[3 * a + axis];
          e[1][axis] = double(v[3 * c + axis]) - v[3 * a + axis];
        }
        n[0] = e[0][1] * e[1][2] - e[0][2] * e[1][1];
        n[1] = e[0][2] * e[1][0] - e[0][0] * e[1][2];
        n[2] = e[0][0] * e[1][1] - e[0][1] * e[1][0];
        const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        for (uint32_t corner : {a, b, c}) {
          for (int axis = 0; axis < 3; ++axis) sum[3 * corner + axis] += n[axis] / length;
        }
      }
    }
    int wrong = 0, notUnit = 0, outOfBand = 0;
    for (int vertex = 0; vertex < VERTEX_COUNT; ++vertex) {
      const double* s = &sum[3 * vertex];
      const float* n = surfaceMesh->normalArray() + 3 * vertex;
      const double length = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
      for (int axis = 0; axis < 3; ++axis) wrong += std::fabs(s[axis] / length - n[axis]) > 1e-5;
      notUnit += std::fabs(std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]) - 1.0f) > 1e-6f;
      outOfBand += !(v[3 * vertex + 2] >= 0.1f && v[3 * vertex + 2] <= 0.7f);
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(notUnit, 0);
    EXPECT_EQ(outOfBand, 0);
  }
}

TEST_F(RipplingSurfaceTest, SameTimeGivesIdenticalArrays) {
  const size_t bytes = size_t(VERTEX_COUNT) * 3 * sizeof(float);
  surfaceAt(10.0f);
  std::vector<float> positions(surfaceMesh->vertexArray(), surfaceMesh->vertexArray() + VERTEX_COUNT * 3);
  std::vector<float> normals(surfaceMesh->normalArray(), surfaceMesh->normalArray() + VERTEX_COUNT * 3);
  // Again straight away (normals must not pile up), and again after another time.
  surfaceAt(10.0f);
  EXPECT_EQ(std::memcmp(positions.data(), surfaceMesh->vertexArray(), bytes), 0);
  EXPECT_EQ(std::memcmp(normals.data(), surfaceMesh->normalArray(), bytes), 0);
  surfaceAt(80.0f);
  EXPECT_NE(std::memcmp(positions.data(), surfaceMesh->vertexArray(), bytes), 0);
  surfaceAt(10.0f);
  EXPECT_EQ(std::memcmp(positions.data(), surfaceMesh->vertexArray(), bytes), 0);
  EXPECT_EQ(std::memcmp(normals.data(), surfaceMesh->normalArray(), bytes), 0);
}

TEST_F(RipplingSurfaceTest, DrawsTheSphereMappedSheetAndLeavesTheStateAsAgreed) {
  GLuint target = makeTexture(256, 256, std::vector<uint8_t>(256 * 256 * 3, 0));
  showProjection();
  GLfloat before[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, before);
  glColor4f(0.2f, 0.3f, 0.4f, 0.5f);

  beginCapture(target);
  surfaceAt(10.0f);
  auto mapped = readPixels(0, 0, 256, 256);
  endCapture();
  EXPECT_TRUE(writeFxPicture("surface_T10.png", 256, 256, mapped));

  // The sheet fills the whole capture: it reaches past every edge of the view.
  int uncovered = 0;
  for (size_t i = 3; i < mapped.size(); i += 4) uncovered += mapped[i] != 255;
  EXPECT_EQ(uncovered, 0);

  EXPECT_EQ(glIsEnabled(GL_TEXTURE_GEN_S), GL_FALSE);
  EXPECT_EQ(glIsEnabled(GL_TEXTURE_GEN_T), GL_FALSE);
  EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), GL_FALSE);
  EXPECT_EQ(glIsEnabled(GL_VERTEX_ARRAY), GL_FALSE);
  EXPECT_EQ(glIsEnabled(GL_NORMAL_ARRAY), GL_FALSE);
  EXPECT_EQ(glIsEnabled(GL_TEXTURE_COORD_ARRAY), GL_FALSE);
  GLint mode = 0;
  glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &mode);
  EXPECT_EQ(mode, GL_SPHERE_MAP);
  glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &mode);
  EXPECT_EQ(mode, GL_SPHERE_MAP);
  GLfloat colour[4], after[16];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_EQ((std::vector<float>(colour, colour + 4)), (std::vector<float>{1, 1, 1, 1}));
  glGetFloatv(GL_MODELVIEW_MATRIX, after);
  EXPECT_EQ(std::memcmp(before, after, sizeof before), 0);
  // endCapture rebinds; the surface itself leaves the metal bound.
  glViewport(0, 0, 256, 256);
  surfaceAt(10.0f);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(GLuint(bound), textures[TEX_METAL]);

  // The same geometry with the mesh's own texture coordinates looks different: the picture
  // comes from the generated sphere-map coordinates.
  glClear(GL_COLOR_BUFFER_BIT);
  surfaceMesh->draw();
  auto unmapped = readPixels(0, 0, 256, 256);
  // Red follows s and green follows t in the stand-in picture, so each is checked on its own.
  for (int channel : {0, 1}) {
    int differing = 0;
    for (size_t i = channel; i < mapped.size(); i += 4) differing += std::abs(mapped[i] - unmapped[i]) > 8;
    EXPECT_GT(differing, 256 * 256 / 4) << "channel " << channel;
  }
  glDeleteTextures(1, &target);
}

}  // namespace
