#pragma once
// The sphere-mapped metal sheet rippling with sceneTime, drawn from surfaceMesh.
#include "fx/grid_mesh.h"

// Recomputes every position and normal of surfaceMesh from sceneTime and draws it.
void drawSurface();

// The CPU half of drawSurface: rewrites `mesh`'s positions and normals for show time t.
void rippleSurfaceMesh(GridMesh& mesh, float t);
