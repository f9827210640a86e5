#include "interchange/RigidTransform.h"

#include <cmath>
#include <utility>

namespace {

// Eigenvalues (the diagonal of A afterwards) and eigenvectors (the columns
// of V) of a symmetric 4x4 matrix, by cyclic Jacobi rotations.
void SymmetricEigen4(double (&A)[4][4], double (&V)[4][4]) {
  for (int I = 0; I < 4; ++I)
    for (int J = 0; J < 4; ++J) V[I][J] = I == J ? 1 : 0;
  for (int Sweep = 0; Sweep < 64; ++Sweep) {
    double Off = 0;
    for (int P = 0; P < 4; ++P)
      for (int Q = P + 1; Q < 4; ++Q) Off += A[P][Q] * A[P][Q];
    if (Off < 1e-300) return;
    for (int P = 0; P < 4; ++P)
      for (int Q = P + 1; Q < 4; ++Q) {
        if (A[P][Q] == 0) continue;
        const double Theta = (A[Q][Q] - A[P][P]) / (2 * A[P][Q]);
        const double T = (Theta >= 0 ? 1 : -1) / (std::fabs(Theta) + std::sqrt(Theta * Theta + 1));
        const double C = 1 / std::sqrt(T * T + 1), S = T * C;
        for (int K = 0; K < 4; ++K) {  // A := A x J
          const double Kp = A[K][P], Kq = A[K][Q];
          A[K][P] = C * Kp - S * Kq;
          A[K][Q] = S * Kp + C * Kq;
        }
        for (int K = 0; K < 4; ++K) {  // A := J^T x A
          const double Pk = A[P][K], Qk = A[Q][K];
          A[P][K] = C * Pk - S * Qk;
          A[Q][K] = S * Pk + C * Qk;
        }
        for (int K = 0; K < 4; ++K) {
          const double Kp = V[K][P], Kq = V[K][Q];
          V[K][P] = C * Kp - S * Kq;
          V[K][Q] = S * Kp + C * Kq;
        }
      }
  }
}

double At(const std::array<float, 16>& M, int Row, int Column) { return double(M[size_t(4 * Column + Row)]); }

}  // namespace

bool IsRigid(const std::array<float, 16>& Matrix) {
  for (float E : Matrix)
    if (!std::isfinite(E)) return false;
  if (Matrix[3] != 0 || Matrix[7] != 0 || Matrix[11] != 0 || Matrix[15] != 1) return false;
  // Float rounding of a true rotation stays well inside this; other tools
  // decompose anything looser into a scale or skew they cannot keep.
  constexpr double Tolerance = 1e-6;
  for (int A = 0; A < 3; ++A)
    for (int B = A; B < 3; ++B) {
      double Dot = 0;
      for (int R = 0; R < 3; ++R) Dot += At(Matrix, R, A) * At(Matrix, R, B);
      if (std::fabs(Dot - (A == B ? 1 : 0)) > Tolerance) return false;
    }
  const double Det = At(Matrix, 0, 0) * (At(Matrix, 1, 1) * At(Matrix, 2, 2) - At(Matrix, 2, 1) * At(Matrix, 1, 2)) -
                     At(Matrix, 0, 1) * (At(Matrix, 1, 0) * At(Matrix, 2, 2) - At(Matrix, 2, 0) * At(Matrix, 1, 2)) +
                     At(Matrix, 0, 2) * (At(Matrix, 1, 0) * At(Matrix, 2, 1) - At(Matrix, 2, 0) * At(Matrix, 1, 1));
  return Det > 0;
}

TRigidTransform NearestRigid(const std::array<float, 16>& Matrix) {
  auto Q = [&](int R, int C) { return At(Matrix, R, C); };
  // The quaternion of the nearest rotation is the eigenvector of the
  // largest eigenvalue of this symmetric matrix (x, y, z, w order).
  double K[4][4] = {{Q(0, 0) - Q(1, 1) - Q(2, 2), Q(1, 0) + Q(0, 1), Q(2, 0) + Q(0, 2), Q(2, 1) - Q(1, 2)},
                    {Q(1, 0) + Q(0, 1), Q(1, 1) - Q(0, 0) - Q(2, 2), Q(2, 1) + Q(1, 2), Q(0, 2) - Q(2, 0)},
                    {Q(2, 0) + Q(0, 2), Q(2, 1) + Q(1, 2), Q(2, 2) - Q(0, 0) - Q(1, 1), Q(1, 0) - Q(0, 1)},
                    {Q(2, 1) - Q(1, 2), Q(0, 2) - Q(2, 0), Q(1, 0) - Q(0, 1), Q(0, 0) + Q(1, 1) + Q(2, 2)}};
  double V[4][4];
  SymmetricEigen4(K, V);
  int Best = 3;  // ties (a zero matrix) keep the identity's column
  for (int I = 0; I < 4; ++I)
    if (K[I][I] > K[Best][Best]) Best = I;
  std::array<double, 4> Rotation{V[0][Best], V[1][Best], V[2][Best], V[3][Best]};
  double Length = 0;
  for (double C : Rotation) Length += C * C;
  Length = std::sqrt(Length);
  if (Rotation[3] < 0) Length = -Length;  // w >= 0: one of the two equal quaternions, always the same
  for (double& C : Rotation) C /= Length;
  TRigidTransform Result;
  Result.Translation = {double(Matrix[12]), double(Matrix[13]), double(Matrix[14])};
  Result.Rotation = Rotation;
  return Result;
}

TMatrix4 ComposeTrs(const std::array<double, 3>& T, const std::array<double, 4>& R, const std::array<double, 3>& S) {
  const double X = R[0], Y = R[1], Z = R[2], W = R[3];
  const double Rot[3][3] = {{1 - 2 * (Y * Y + Z * Z), 2 * (X * Y - Z * W), 2 * (X * Z + Y * W)},
                            {2 * (X * Y + Z * W), 1 - 2 * (X * X + Z * Z), 2 * (Y * Z - X * W)},
                            {2 * (X * Z - Y * W), 2 * (Y * Z + X * W), 1 - 2 * (X * X + Y * Y)}};
  TMatrix4 M{};
  for (int C = 0; C < 3; ++C)
    for (int Row = 0; Row < 3; ++Row) M[size_t(4 * C + Row)] = Rot[Row][C] * S[size_t(C)];
  M[12] = T[0];
  M[13] = T[1];
  M[14] = T[2];
  M[15] = 1;
  return M;
}

TMatrix4 Multiply(const TMatrix4& A, const TMatrix4& B) {
  TMatrix4 M{};
  for (int C = 0; C < 4; ++C)
    for (int R = 0; R < 4; ++R) {
      double Sum = 0;
      for (int K = 0; K < 4; ++K) Sum += A[size_t(4 * K + R)] * B[size_t(4 * C + K)];
      M[size_t(4 * C + R)] = Sum;
    }
  return M;
}
