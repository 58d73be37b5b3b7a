#pragma once
// A regular grid of vertices in the z = 0 plane, kept in the layout GL's vertex arrays take and
// drawn as one triangle strip per row of quads. The rippling surface rewrites its positions and
// normals in place every frame.
#include "platform/gl.h"
#include <cstdint>

class GridMesh {
 public:
  GridMesh();
  void build(float originX, float originY, float extentX, float extentY, int32_t cols,
             int32_t rows, uint32_t drawMode);
  void draw();
  float* vertexArray() { return vertices; }
  float* normalArray() { return normals; }
  int32_t columnCount() const { return cols; }
  int32_t rowCount() const { return rows; }

  float* vertices;      // (cols + 1) x (rows + 1) positions (x, y, z)
  float* normals;       // one normal per vertex; build leaves them unfilled
  float* texCoords;     // one (s, t) per vertex
  uint32_t** rowStrips; // one index list of (cols + 1) x 2 entries per row of quads
  int32_t cols;
  int32_t rows;
  float translation[3];
  float originX, originY;
  float extentX, extentY;
  float alpha;
  uint32_t drawMode;    // 0 or 1 draws the textured strips; anything else draws nothing
};

extern GridMesh* surfaceMesh;

// Builds `mesh` as the show's rippling sheet: 48 x 32 quads from (-1.3, -1) across 2.67 by 2,
// drawn as textured strips. A mesh that cannot be built ends the process (see GridMesh::build).
void buildSurfaceMesh(GridMesh* mesh);
