#pragma once
// The smallest sound mesh, chunk by chunk: one triangle (0,0,0), (1,0,0),
// (0,1,0) facing +Z as face 0. Tests damage one record at a time and
// assemble the chunks again.
#include <cstdint>

#include "tests/support/IffBytes.h"

// A face-vertex record that points at Vertex.
inline TBytes Corner(int32_t Vertex) { return Ints({Vertex, 0}) + Floats({0, 0}); }

// A face record: its normal, its first face-vertex and how many it has; the
// other fields as a sound file holds them.
inline TBytes FaceRecord(int32_t Normal, int32_t First, int32_t Count) {
  return Ints({Normal, 0, 7, First, Count, 0, 0});
}

struct TTriangle {
  TBytes Vert = Floats({0, 0, 0, 1, 0, 0, 0, 1, 0});
  TBytes Vtnm = Floats({0, 0, 1});
  TBytes Fvrt = Corner(0) + Corner(1) + Corner(2);
  TBytes Face = FaceRecord(0, 0, 3);
  TBytes Chunks() const {
    return Chunk("VERT", Vert) + Chunk("VTNM", Vtnm) + Chunk("FVRT", Fvrt) + Chunk("FACE", Face);
  }
};
