#pragma once
// The collision sphere fitted to a model: the smallest sphere that encloses
// every vertex the faces use, stored as 32-bit floats rounded outward so the
// stored sphere still encloses every stored vertex. The fourth value is the
// radius, since that is what the drawing passes as the sphere's size.
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "geometry/SmallestSphere.h"
#include "model/MeshData.h"
#include "runtime/Exception.h"

QUELBIR_EXCEPTION(ESphereFit);

struct TFittedSphere {
  float Center[3] = {0, 0, 0};
  float Radius = 0;
};

// Appends the position of every vertex that a usable face uses (a face the
// drawing skips contributes nothing), each vertex once. A position that is not
// finite raises "FitModelSphere: vertex <i> of level <tag> is not finite", or
// "FitModelSphere: vertex <i> is not finite" when LevelTag is empty.
void GatherFaceVertices(const TMeshData& Mesh, const std::string& LevelTag, std::vector<TPoint3>& Points);

// Ball as 32-bit floats: the centre to the nearest floats, the radius to the
// smallest float (from the nearest one up) that is at least the distance
// from that float centre to each of Points, decided exactly, so a point on
// the boundary keeps a radius such as 1 exact. A sphere beyond the float
// range raises "Floating point overflow".
TFittedSphere RoundSphereOutward(const TBall& Ball, std::span<const TPoint3> Points);

// The fitted sphere of FileName's mesh: the level LOD (chosen and clamped as
// the loader chooses it), or every level of the file when LOD is empty, so
// that the sphere encloses the object at every distance. A single-mesh file
// has its one mesh. The loader's errors pass through; a model whose faces use
// no vertex raises "FitModelSphere: the model has no faces to enclose".
// ReadOnly opens the file for reading only (inspecting callers).
TFittedSphere FitModelSphere(const std::string& FileName, std::optional<int> LOD, bool ReadOnly = false);
