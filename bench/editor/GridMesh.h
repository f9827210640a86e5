#pragma once
// The large model the drawing's benchmarks share.
#include "model/SampleModel.h"

// A flat grid of Count quadrilaterals, each with its own corners, stored as
// AddPolygon stores them (corners reversed, one shared normal) but built
// directly: AddPolygon's search for equal vertices would take minutes here.
inline TSampleMesh GridMesh(int Count) {
  TSampleMesh Mesh;
  const int Side = 317;  // 317 x 316 > 100,000
  Mesh.Normals.push_back({0, 0, 1});
  for (int I = 0; I < Count; ++I) {
    const float X = float(I % Side) / Side - 0.5f, Y = float(I / Side) / Side - 0.5f, D = 0.8f / Side;
    const TVector Corners[4] = {{X, Y, 0.1f * X}, {X + D, Y, 0.1f * X}, {X + D, Y + D, 0.1f * X}, {X, Y + D, 0.1f * X}};
    TFace Face;
    Face.Texture = 10000000;
    Face.First = int32_t(Mesh.FaceVertices.size());
    Face.Count = 4;
    for (int C = 3; C >= 0; --C) {
      TFaceVertex Corner;
      Corner.Vertex = int32_t(Mesh.Vertices.size());
      Mesh.Vertices.push_back(Corners[C]);
      Mesh.FaceVertices.push_back(Corner);
    }
    Mesh.Faces.push_back(Face);
  }
  return Mesh;
}
