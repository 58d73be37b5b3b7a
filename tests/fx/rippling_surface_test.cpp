#include "fx/rippling_surface.h"

#include <cmath>

#include "show/frame.h"
#include "tests/support/gl_fixture.h"

namespace {

constexpr int FLOATS = 49 * 33 * 3;

class RipplingSurfaceTest : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    if (!surfaceMesh) buildSurfaceMesh(surfaceMesh = new GridMesh);
  }
  // Positions, then normals, after drawing the surface at show time t.
  static std::vector<float> surfaceAt(float t) {
    sceneTime = t;
    drawSurface();
    std::vector<float> out(surfaceMesh->vertexArray(), surfaceMesh->vertexArray() + FLOATS);
    out.insert(out.end(), surfaceMesh->normalArray(), surfaceMesh->normalArray() + FLOATS);
    return out;
  }
};

// The heights themselves show in every frame; here, what the lighting relies on.
TEST_F(RipplingSurfaceTest, UnitNormalsOfTheStripsAroundEachVertexAndRepeatability) {
  for (float t : {0.0f, 10.0f, 154.5f}) {
    const std::vector<float> v = surfaceAt(t);
    // Each normal is the unit sum of the unit normals of the strip triangles around it (the
    // winding alternates along a strip).
    std::vector<double> sum(FLOATS, 0.0);
    for (int q = 0; q < 32 * 96; ++q) {  // triangle q % 96 of strip q / 96
      const uint32_t* strip = surfaceMesh->rowStrips[q / 96] + q % 96;
      const uint32_t c[3] = {strip[q % 2], strip[1 - q % 2], strip[2]};
      auto edge = [&](int to, int x) { return double(v[3 * c[to] + x]) - v[3 * c[0] + x]; };
      const double n[3] = {edge(1, 1) * edge(2, 2) - edge(1, 2) * edge(2, 1),
                           edge(1, 2) * edge(2, 0) - edge(1, 0) * edge(2, 2),
                           edge(1, 0) * edge(2, 1) - edge(1, 1) * edge(2, 0)};
      for (int x = 0; x < 9; ++x) sum[3 * c[x / 3] + x % 3] += n[x % 3] / std::hypot(n[0], n[1], n[2]);
    }
    int bad = 0;
    for (int i = 0; i < FLOATS; i += 3) {
      const float* n = &v[FLOATS + i];
      const double length = std::hypot(sum[i], sum[i + 1], sum[i + 2]);
      bad += std::fabs(std::hypot(n[0], n[1], n[2]) - 1) > 1e-6;
      for (int x = 0; x < 3; ++x) bad += std::fabs(sum[i + x] / length - n[x]) > 1e-5;
    }
    EXPECT_EQ(bad, 0) << "at " << t;
    EXPECT_TRUE(surfaceAt(t) == v) << "at " << t;  // normals are cleared, not piled up
  }
}

TEST_F(RipplingSurfaceTest, LeavesTextureGenerationAndTexturingOff) {
  showProjection();
  surfaceAt(10.0f);
  for (GLenum cap : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_2D}) EXPECT_FALSE(glIsEnabled(cap)) << cap;
}

}  // namespace
