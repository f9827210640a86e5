#pragma once
// A model file as the exporters see it: the chosen levels of detail with
// the faces every exported format can carry, grouped by texture number, the
// hardpoints and the collision sphere. It is read through the same loading
// code as `quelbir-cli info`, read-only; what the formats cannot hold is
// left out and said on Warnings, one line each.
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "model/MeshData.h"
#include "model/THardpoint.h"

// The faces of one texture number, as indices into TExportedLevel::Faces.
struct TTextureGroup {
  int32_t Texture = 0;
  std::vector<int32_t> Faces;
};

struct TExportedLevel {
  std::string Name;                       // the level's tag, "0000", ...; "mesh" for a single-mesh file
  std::vector<TVector> Vertices;          // as the file holds them
  std::vector<TVector> Normals;           // as the file holds them
  std::vector<TFaceVertex> FaceVertices;  // as the file holds them
  std::vector<TFace> Faces;               // the exported faces only, in file order
  std::vector<TTextureGroup> Groups;      // ascending texture numbers
};

struct TExportedHardpoint {
  int32_t Index = 0;  // in the model's hardpoint list
  THardpoint Hardpoint;
};

struct TExportedModel {
  std::string Name;  // the file's name without its folder
  std::vector<TExportedLevel> Levels;
  std::vector<TExportedHardpoint> Hardpoints;
  std::optional<std::array<float, 4>> Sphere;  // centre X, Y, Z and the "Diameter:" value
};

// Level LOD (as `info --lod` chooses it) or, with AllLevels, every level of
// the file. A face is exported when everything it refers to lies inside the
// arrays (as drawing requires), it has at least three corners and its
// positions, normal and texture coordinates are finite numbers; the others
// are counted in one warning per level and reason. A missing or unreadable
// sphere is a warning. Errors of the load itself propagate.
TExportedModel ReadExportedModel(const std::string& ModelFile, int32_t LOD, bool AllLevels, std::ostream& Warnings);

// The corners of a face in the order drawing sends them (last stored first),
// as indices into FaceVertices.
inline int32_t DrawnCorner(const TFace& Face, int32_t I) { return Face.First + Face.Count - 1 - I; }
