#pragma once
// A rotation matrix built in double precision, independent of OpenGL, to
// compare the editor's rotation builder against.
#include <array>
#include <cmath>
#include <cstddef>

// Rz(Z) * Ry(Y) * Rx(X) in degrees, column-major.
inline std::array<float, 16> RotationZYX(double X, double Y, double Z) {
  const double D = 3.14159265358979323846 / 180, cx = std::cos(X * D), sx = std::sin(X * D), cy = std::cos(Y * D),
               sy = std::sin(Y * D), cz = std::cos(Z * D), sz = std::sin(Z * D);
  // Rows of the rotation.
  const double R[3][3] = {{cz * cy, cz * sy * sx - sz * cx, cz * sy * cx + sz * sx},
                          {sz * cy, sz * sy * sx + cz * cx, sz * sy * cx - cz * sx},
                          {-sy, cy * sx, cy * cx}};
  std::array<float, 16> M{};
  for (int Col = 0; Col < 3; ++Col)
    for (int Row = 0; Row < 3; ++Row) M[size_t(4 * Col + Row)] = float(R[Row][Col]);
  M[15] = 1;
  return M;
}
