#pragma once
// The sphere-mapped metal sheet rippling with sceneTime, drawn from surfaceMesh.

// Recomputes every position and normal of surfaceMesh from sceneTime and draws it.
void drawSurface();
