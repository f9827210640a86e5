#pragma once
// THardpoint: a named mount point of a model, a position with its own
// orientation as a 4x4 transform.
#include <array>
#include <string>

#include "runtime/Exception.h"

class TIffReader;

QUELBIR_EXCEPTION(EHardpoint);

class THardpoint {
public:
  THardpoint() = default;
  // Reads one hardpoint from the chunk the reader has open, from its first
  // data byte: twelve little-endian floats as three rows of four (a local
  // axis, then one coordinate of the position), then the name up to its zero
  // byte. Elements 3, 7 and 11 become 0 and 15 becomes 1 whatever the file
  // holds. The chunk stays open. A chunk too short for the matrix, or whose
  // name has no zero byte, raises the reader's read error; a chunk whose
  // matrix the file itself cuts short raises EHardpoint.
  explicit THardpoint(TIffReader& Reader);

  // Column-major, as glMultMatrixf takes it (element 4 * column + row):
  // e0..e2, e4..e6, e8..e10 the local X, Y and Z axes, e12..e14 the position.
  std::array<float, 16> Matrix{};
  std::string Name;  // 8-bit characters

  // Where the value at file position I (0..11) goes in Matrix.
  static constexpr std::array<int, 12> FileToMatrix{0, 1, 2, 12, 4, 5, 6, 13, 8, 9, 10, 14};
};
