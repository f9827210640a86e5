#pragma once
// A large model file for measuring: a single-mesh file of Columns x Rows
// quadrilaterals on a grid of shared vertices, written through TIffWriter in
// batches so the writer itself never holds the whole mesh.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "iff/IffWriter.h"
#include "model/MeshData.h"
#include "model/SampleModel.h"

namespace BigModel {

// The bytes of the four mesh arrays such a file holds.
inline int64_t MeshBytes(int Columns, int Rows) {
  const int64_t Quads = int64_t(Columns) * Rows;
  const int64_t Vertices = int64_t(Columns + 1) * (Rows + 1);
  return Vertices * 12 + 12 + Quads * 4 * 16 + Quads * 28;
}

// With a hardpoint, the file also holds, as the window expects them, a FORM
// "HARD" (the top form's second sub-form) with one hardpoint "origin" at the
// grid's centre and a FORM "COLL" with a sphere.
inline void Write(const std::string& FileName, int Columns, int Rows, bool WithHardpoint = false) {
  TIffWriter Writer(FileName, wmFile);
  Writer.OpenForm(TIffTag("MESH"));
  Writer.OpenForm(TIffTag("0012"));
  const int64_t Batch = 65536;

  Writer.OpenChunk(TIffTag("VERT"));
  std::vector<TVector> Vertices;
  for (int Y = 0; Y <= Rows; ++Y) {
    for (int X = 0; X <= Columns; ++X) Vertices.push_back({float(X) / Columns - 0.5f, float(Y) / Rows - 0.5f, 0});
    if (int64_t(Vertices.size()) >= Batch || Y == Rows) {
      Writer.Write(Vertices.data(), int32_t(Vertices.size() * sizeof(TVector)));
      Vertices.clear();
    }
  }
  Writer.CloseChunk();

  Writer.OpenChunk(TIffTag("VTNM"));
  const TVector Up{0, 0, 1};
  Writer.Write(&Up, sizeof Up);
  Writer.CloseChunk();

  const int64_t Quads = int64_t(Columns) * Rows;
  Writer.OpenChunk(TIffTag("FVRT"));
  std::vector<TFaceVertex> Corners;
  for (int64_t Q = 0; Q < Quads; ++Q) {
    const int32_t X = int32_t(Q % Columns), Y = int32_t(Q / Columns);
    const int32_t V = Y * (Columns + 1) + X;
    for (int32_t Corner : {V, V + Columns + 1, V + Columns + 2, V + 1}) Corners.push_back({Corner, 0, 0, 0});
    if (int64_t(Corners.size()) >= Batch || Q == Quads - 1) {
      Writer.Write(Corners.data(), int32_t(Corners.size() * sizeof(TFaceVertex)));
      Corners.clear();
    }
  }
  Writer.CloseChunk();

  Writer.OpenChunk(TIffTag("FACE"));
  std::vector<TFace> Faces;
  for (int64_t Q = 0; Q < Quads; ++Q) {
    Faces.push_back({0, 0, 10000000, int32_t(Q * 4), 4, 0, 0});
    if (int64_t(Faces.size()) >= Batch || Q == Quads - 1) {
      Writer.Write(Faces.data(), int32_t(Faces.size() * sizeof(TFace)));
      Faces.clear();
    }
  }
  Writer.CloseChunk();

  Writer.CloseForm();
  if (WithHardpoint) {
    WriteHardForm(Writer, {{"origin", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}});
    TSampleSphere Sphere;
    Sphere.Value = 0.5f;
    WriteCollForm(Writer, Sphere);
  }
  Writer.CloseForm();
  Writer.Destroy();
}

}  // namespace BigModel
