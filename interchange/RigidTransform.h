#pragma once
// Transforms as 3D tools see them: a translation, a rotation (a unit
// quaternion) and a scale, against the hardpoints' 4x4 column-major
// matrices (element 4 * column + row, as glMultMatrixf takes them).
#include <array>

using TMatrix4 = std::array<double, 16>;  // column-major

struct TRigidTransform {
  std::array<double, 3> Translation{0, 0, 0};
  std::array<double, 4> Rotation{0, 0, 0, 1};  // quaternion x, y, z, w
};

// True when every element is finite, the last row is exactly 0 0 0 1 and
// the three axes are of unit length and at right angles to one another
// (to within float rounding), turning right-handed: a matrix other tools
// take as it is.
bool IsRigid(const std::array<float, 16>& Matrix);

// The rotation nearest to the matrix's upper 3x3 part (the one that
// maximises the trace of R^T M, defined for any matrix, singular or
// mirrored ones included) and the matrix's position. Elements must be finite.
TRigidTransform NearestRigid(const std::array<float, 16>& Matrix);

// Translation x rotation x scale, as a node's TRS composes.
TMatrix4 ComposeTrs(const std::array<double, 3>& Translation, const std::array<double, 4>& Rotation,
                    const std::array<double, 3>& Scale);

TMatrix4 Multiply(const TMatrix4& A, const TMatrix4& B);  // A x B
