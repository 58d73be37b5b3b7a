#include "fx/rippling_surface.h"

#include "platform/gl.h"

#include <cmath>

#include "assets/textures.h"
#include "fx/grid_mesh.h"
#include "timing/demo_clock.h"

namespace {

// Adds a triangle's unit normal to the normals of its three corners (given as vertex numbers).
void addFaceNormal(const float* v, float* normals, uint32_t a, uint32_t b, uint32_t c,
                   uint32_t to0, uint32_t to1, uint32_t to2) {
  const double ax = double(v[3 * b]) - v[3 * a];
  const double ay = double(v[3 * b + 1]) - v[3 * a + 1];
  const double az = double(v[3 * b + 2]) - v[3 * a + 2];
  const double bx = double(v[3 * c]) - v[3 * a];
  const double by = double(v[3 * c + 1]) - v[3 * a + 1];
  const double bz = double(v[3 * c + 2]) - v[3 * a + 2];
  const double nx = ay * bz - az * by;
  const double ny = az * bx - ax * bz;
  const double nz = ax * by - ay * bx;
  const double scale = 1.0 / std::sqrt(nx * nx + ny * ny + nz * nz);
  const uint32_t corners[3] = {to0, to1, to2};
  for (uint32_t to : corners) {
    float* n = normals + 3 * to;
    n[0] = float(n[0] + nx * scale);
    n[1] = float(n[1] + ny * scale);
    n[2] = float(n[2] + nz * scale);
  }
}

}  // namespace

void rippleSurfaceMesh(GridMesh& mesh, float time) {
  float* vertices = mesh.vertexArray();
  float* normals = mesh.normalArray();
  const int32_t cols = mesh.columnCount();
  const int32_t rows = mesh.rowCount();

  const double t = time;
  float* position = vertices;
  float* normal = normals;
  for (int32_t i = 0; i <= rows; ++i) {
    const double di = i;
    const double y = di / rows * 2.7 - 1.0;
    for (int32_t k = 0; k <= cols; ++k) {
      const double dk = k;
      const double w1 = std::sin(t * 4 + 0.8 * dk);
      const double w2 = std::sin((w1 + dk * 12.3) + t);
      const double w3 = std::cos(t + di * 0.8) * std::sin(t + 0.8 * dk);
      const double w4 = std::cos(di + t);
      *position++ = float(dk / cols * 3.2 - 1.5);
      *position++ = float(y);
      *position++ = float(((w2 + w3) + w4) * 0.1 + 0.4);
      // Cleared, not kept: normals are summed afresh from this frame's faces.
      *normal++ = 0.0f;
      *normal++ = 0.0f;
      *normal++ = 0.0f;
    }
  }

  // The same two triangles per quad as the mesh's strips draw, so the shading follows the
  // geometry on screen.
  const uint32_t rowLength = uint32_t(cols) + 1;
  for (int32_t j = 0; j < rows; ++j) {
    for (int32_t k = 0; k < cols; ++k) {
      const uint32_t p0 = uint32_t(j) * rowLength + uint32_t(k);
      const uint32_t p1 = p0 + rowLength;
      const uint32_t p2 = p0 + 1;
      const uint32_t p3 = p1 + 1;
      addFaceNormal(vertices, normals, p0, p1, p2, p0, p2, p1);
      addFaceNormal(vertices, normals, p1, p3, p2, p3, p2, p1);
    }
  }

  const uint32_t vertexCount = rowLength * (uint32_t(rows) + 1);
  for (uint32_t v = 0; v < vertexCount; ++v) {
    float* n = normals + 3 * v;
    const double scale =
        1.0 / std::sqrt(double(n[0]) * n[0] + double(n[1]) * n[1] + double(n[2]) * n[2]);
    n[0] = float(n[0] * scale);
    n[1] = float(n[1] * scale);
    n[2] = float(n[2] * scale);
  }
}

void drawSurface() {
  glBindTexture(GL_TEXTURE_2D, textures[TEX_METAL]);
  // The sheet has no lighting: its shading is the metal picture looked up by the normals.
  glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glEnable(GL_TEXTURE_GEN_S);
  glEnable(GL_TEXTURE_GEN_T);
  rippleSurfaceMesh(*surfaceMesh, sceneTime);
  surfaceMesh->draw();
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
}
