#include "fx/grid_mesh.h"

#include <cstdlib>
#include <limits>
#include <new>

#include "platform/report.h"

GridMesh* surfaceMesh = nullptr;

namespace {

// The sheet is a little wider than the 4:3 view at its depth, so no edge shows as it ripples.
constexpr float SURFACE_ORIGIN_X = -1.3f;
constexpr float SURFACE_ORIGIN_Y = -1.0f;
constexpr float SURFACE_EXTENT_X = 2.67f;
constexpr float SURFACE_EXTENT_Y = 2.0f;
constexpr int32_t SURFACE_COLUMNS = 48;
constexpr int32_t SURFACE_ROWS = 32;
constexpr uint32_t SURFACE_DRAW_MODE = 1;  // textured strips

}  // namespace

void buildSurfaceMesh(GridMesh* mesh) {
  mesh->build(SURFACE_ORIGIN_X, SURFACE_ORIGIN_Y, SURFACE_EXTENT_X, SURFACE_EXTENT_Y,
              SURFACE_COLUMNS, SURFACE_ROWS, SURFACE_DRAW_MODE);
}

namespace {

// The mesh is built once at start-up; without it there is no show, so the process ends here.
// std::exit (not _exit) so the handler that gives the desktop its display mode back still runs.
[[noreturn]] void outOfMemory() {
  platform::reportFatal("out of memory building the surface mesh");
  std::exit(1);
}

[[noreturn]] void badSize(int32_t cols, int32_t rows) {
  platform::reportFatal("cannot build a surface mesh of %d x %d quads", int(cols), int(rows));
  std::exit(1);
}

template <typename T>
T* allocate(size_t count) {
  T* p = new (std::nothrow) T[count];
  if (!p) outOfMemory();
  return p;
}

}  // namespace

GridMesh::GridMesh()
    : vertices(nullptr), normals(nullptr), texCoords(nullptr), rowStrips(nullptr), cols(0),
      rows(0), translation{0, 0, 0}, originX(0), originY(0), extentX(0), extentY(0), alpha(1.0f),
      drawMode(0) {}

void GridMesh::build(float originX, float originY, float extentX, float extentY, int32_t cols,
                     int32_t rows, uint32_t drawMode) {
  // Positions are divided by the counts, indices are 32-bit and a strip's length is handed to GL
  // as a signed int, so the grid must be non-empty and every vertex number must fit.
  if (cols < 1 || rows < 1) badSize(cols, rows);
  const uint64_t columnsOfVertices = uint64_t(cols) + 1;
  const uint64_t vertexCount = columnsOfVertices * (uint64_t(rows) + 1);
  if (columnsOfVertices * 2 > uint64_t(std::numeric_limits<int32_t>::max()) ||
      vertexCount > uint64_t(std::numeric_limits<uint32_t>::max()) + 1 ||
      vertexCount > std::numeric_limits<size_t>::max() / (3 * sizeof(float))) {
    outOfMemory();
  }

  this->drawMode = drawMode;
  this->cols = cols;
  this->rows = rows;
  this->originX = originX;
  this->originY = originY;
  this->extentX = extentX;
  this->extentY = extentY;
  translation[0] = translation[1] = translation[2] = 0.0f;

  const size_t n = size_t(vertexCount);
  const size_t stripLength = size_t(columnsOfVertices) * 2;
  vertices = allocate<float>(n * 3);
  normals = allocate<float>(n * 3);
  texCoords = allocate<float>(n * 2);
  rowStrips = allocate<uint32_t*>(size_t(rows) + 1);
  for (int32_t j = 0; j < rows; ++j) rowStrips[j] = allocate<uint32_t>(stripLength);

  float* position = vertices;
  for (int32_t i = 0; i <= rows; ++i) {
    for (int32_t k = 0; k <= cols; ++k) {
      *position++ = float(double(k) / cols * extentX + originX);
      *position++ = float(double(i) / rows * extentY + originY);
      *position++ = 0.0f;
    }
  }

  float* texCoord = texCoords;
  for (int32_t i = 0; i <= rows; ++i) {
    for (int32_t k = 0; k <= cols; ++k) {
      *texCoord++ = float(k * (1.0 / cols));
      *texCoord++ = float(i * (1.0 / rows));
    }
  }

  const uint32_t rowLength = uint32_t(columnsOfVertices);
  for (int32_t j = 0; j < rows; ++j) {
    uint32_t* strip = rowStrips[j];
    for (uint32_t k = 0; k < rowLength; ++k) {
      strip[2 * k] = uint32_t(j) * rowLength + k;
      strip[2 * k + 1] = (uint32_t(j) + 1) * rowLength + k;
    }
  }
}

void GridMesh::draw() {
  glTranslatef(translation[0], translation[1], translation[2]);
  glEnable(GL_TEXTURE_2D);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, vertices);
  glNormalPointer(GL_FLOAT, 0, normals);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glColor4f(1, 1, 1, alpha);
  if (drawMode <= 1) {
    glTexCoordPointer(2, GL_FLOAT, 0, texCoords);
    for (int32_t j = 0; j < rows; ++j) {
      glDrawElements(GL_TRIANGLE_STRIP, 2 * cols + 2, GL_UNSIGNED_INT, rowStrips[j]);
    }
  }
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisable(GL_TEXTURE_2D);
  glFlush();
}
