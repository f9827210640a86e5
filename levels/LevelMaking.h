#pragma once
// Levels of detail made from one level's mesh: each further level is the
// finest mesh simplified by the mesh simplifier to about Ratio times the
// faces of the level before it. The simplifier keeps the mesh's borders in
// place, never merges faces of different textures (a texture's edge is a
// seam it may only slide along), keeps the texture coordinates of every
// corner it keeps, and stops where going further would pass the error limit
// (the silhouette's keeper). Every face of a made level is a triangle with
// its own unit normal, pointing the way the finest level's normals point.
#include <cstdint>
#include <string>
#include <vector>

#include "model/ModelWriter.h"
#include "runtime/Exception.h"

// Levels that cannot be made from the mesh given: the message says why.
QUELBIR_EXCEPTION(ELevelMaking);

struct TLevelOptions {
  int32_t Levels = 2;  // levels wanted in all, the finest one included
  double Ratio = 0.5;  // each made level's faces over the level before's
  // The largest error a made level may have, as a share of the model's
  // extent: past it the silhouette would visibly change, so the level stops
  // short of its target.
  float ErrorLimit = 0.02f;
};

// The largest number of levels a level container can name ("0000".."9999").
constexpr int32_t MaxLevelCount = 10000;

struct TMadeLevel {
  TModelMesh Mesh;
  int64_t Target = 0;  // the faces it aimed at
  float Error = 0;     // the simplifier's error, as a share of the model's extent
  // The level stopped above its target: the borders, the texture seams or
  // the error limit left no further face to take away.
  bool Short() const { return int64_t(Mesh.Faces.size()) > Target; }
};

// The levels after the finest one (Options.Levels - 1 of them), each made
// from Finest. Finest's faces are used when everything they name lies in its
// arrays, they have 3 corners or more and finite positions; the others are
// left out of the made levels. Finest is a level as the file holds it: its
// faces counted one per record, whatever their corners. Raises ELevelMaking
// for a count outside 1..MaxLevelCount, a ratio not inside (0, 1), or a mesh
// without one usable face when levels are to be made.
std::vector<TMadeLevel> MakeLevels(const TModelMesh& Finest, const TLevelOptions& Options);

// The faces the level before a made level has, which its target is Ratio
// times: Finest's count for the first.
int64_t LevelTarget(int64_t FacesBefore, double Ratio);
