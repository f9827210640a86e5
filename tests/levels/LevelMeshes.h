#pragma once
// The meshes the made levels are measured on: a wavy grid of any size, and
// Blender's monkey as Debian's Blender makes it (none where Blender is not
// installed).
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "model/ModelWriter.h"
#include "tests/support/TempDir.h"

// One face of corners given counter-clockwise as seen from outside, stored
// as the model file stores faces (reversed) with its own unit normal and
// shared vertices.
inline void AddSharedFace(TModelMesh& Mesh, const std::vector<int32_t>& Corners, int32_t Texture = 10000000) {
  const TVector& A = Mesh.Vertices[size_t(Corners[0])];
  const TVector& B = Mesh.Vertices[size_t(Corners[1])];
  const TVector& C = Mesh.Vertices[size_t(Corners[2])];
  const double UX = B.X - A.X, UY = B.Y - A.Y, UZ = B.Z - A.Z, VX = C.X - A.X, VY = C.Y - A.Y, VZ = C.Z - A.Z;
  const double NX = UY * VZ - UZ * VY, NY = UZ * VX - UX * VZ, NZ = UX * VY - UY * VX;
  const double L = std::sqrt(NX * NX + NY * NY + NZ * NZ);
  TFace Face;
  Face.Normal = int32_t(Mesh.Normals.size());
  Mesh.Normals.push_back({float(NX / L), float(NY / L), float(NZ / L)});
  Face.Texture = Texture;
  Face.First = int32_t(Mesh.FaceVertices.size());
  Face.Count = int32_t(Corners.size());
  for (size_t I = Corners.size(); I-- > 0;) {
    TFaceVertex Corner;
    Corner.Vertex = Corners[I];
    const TVector& P = Mesh.Vertices[size_t(Corners[I])];
    Corner.S = P.X;  // coordinates that follow the place, so a kept corner shows whether they were kept
    Corner.T = P.Z;
    Mesh.FaceVertices.push_back(Corner);
  }
  Mesh.Faces.push_back(Face);
}

// Columns x Rows quadrilaterals over x, z in -1..1, y a gentle wave, facing
// +y. Texture gives each face its texture number from its column.
template <class TTexture>
TModelMesh WavyGrid(int Columns, int Rows, TTexture&& Texture) {
  TModelMesh Mesh;
  for (int R = 0; R <= Rows; ++R)
    for (int C = 0; C <= Columns; ++C) {
      const float X = 2.0f * float(C) / float(Columns) - 1, Z = 2.0f * float(R) / float(Rows) - 1;
      Mesh.Vertices.push_back({X, 0.2f * std::sin(2.5f * X) * std::cos(1.5f * Z), Z});
    }
  const auto At = [&](int C, int R) { return int32_t(R * (Columns + 1) + C); };
  for (int R = 0; R < Rows; ++R)
    for (int C = 0; C < Columns; ++C)
      AddSharedFace(Mesh, {At(C, R), At(C, R + 1), At(C + 1, R + 1), At(C + 1, R)}, Texture(C));
  return Mesh;
}
inline TModelMesh WavyGrid(int Columns, int Rows) {
  return WavyGrid(Columns, Rows, [](int) { return 10000000; });
}

// Blender's monkey subdivided Levels times (1968 faces at 1), or nothing
// where Blender is not installed.
inline std::optional<TModelMesh> BlenderMonkey(const TempDir& Dir, int Levels) {
  if (std::system("command -v blender >/dev/null 2>&1") != 0) return std::nullopt;
  const std::string Out = Dir.File("monkey.txt");
  const std::string Command = "blender -b --factory-startup --python-exit-code 1 --python '" QUELBIR_LEVEL_TESTS
                              "/blender_monkey.py' -- '" +
                              Out + "' " + std::to_string(Levels) + " >'" + Dir.File("blender.log") + "' 2>&1";
  if (std::system(Command.c_str()) != 0) return std::nullopt;
  std::ifstream In(Out);
  size_t Vertices = 0, Faces = 0;
  In >> Vertices >> Faces;
  TModelMesh Mesh;
  for (size_t I = 0; I < Vertices; ++I) {
    TVector P;
    In >> P.X >> P.Y >> P.Z;
    Mesh.Vertices.push_back(P);
  }
  for (size_t F = 0; F < Faces; ++F) {
    size_t Count = 0;
    In >> Count;
    std::vector<int32_t> Corners(Count);
    for (int32_t& Corner : Corners) In >> Corner;
    AddSharedFace(Mesh, Corners);
  }
  if (!In) return std::nullopt;
  return Mesh;
}
