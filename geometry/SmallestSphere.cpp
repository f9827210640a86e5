#include "geometry/SmallestSphere.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

double SquaredDistance(const TPoint3& A, const double (&B)[3]) {
  const double DX = A.X - B[0], DY = A.Y - B[1], DZ = A.Z - B[2];
  return DX * DX + DY * DY + DZ * DZ;
}

// A point counts as outside the current ball only when it lies beyond it by
// more than rounding: without this margin a point on the boundary, seen a
// hair outside, would be pushed as a support point that is affinely
// dependent on the others, and give a huge, wrong ball. The final radius is
// measured over every point, so a point let in by the margin stays enclosed.
constexpr double OutsideMargin = 1e-12;
// A support point whose distance from the affine hull of the others is this
// small (squared, relative to the ball) adds no dimension and is refused.
constexpr double DependentMargin = 1e-20;

// The support set: up to four points on the boundary of the current ball,
// kept as an orthogonalised basis of their affine hull so that each new
// point updates centre and radius in O(1).
class TSupport {
public:
  int Size() const { return FSize; }
  const double (&Center() const)[3] { return FCenter; }
  double SquaredRadius() const { return FSquaredRadius; }

  // Adds P to the boundary; false (and nothing changed) when P is affinely
  // dependent on the points already there.
  bool Push(const TPoint3& P) {
    const double Point[3] = {P.X, P.Y, P.Z};
    const int M = FSize;
    if (M == 0) {
      for (int I = 0; I < 3; ++I) FQ0[I] = FC[0][I] = Point[I];
      FR2[0] = 0;
    } else {
      for (int I = 0; I < 3; ++I) FV[M][I] = Point[I] - FQ0[I];
      double A[4] = {0, 0, 0, 0};
      for (int I = 1; I < M; ++I) {
        for (int J = 0; J < 3; ++J) A[I] += FV[I][J] * FV[M][J];
        A[I] *= 2 / FZ[I];
      }
      for (int I = 1; I < M; ++I)
        for (int J = 0; J < 3; ++J) FV[M][J] -= A[I] * FV[I][J];
      double Z = 0;
      for (int J = 0; J < 3; ++J) Z += FV[M][J] * FV[M][J];
      Z *= 2;
      if (!(Z > DependentMargin * FSquaredRadius) || Z == 0) return false;
      FZ[M] = Z;
      double E = -FR2[M - 1];
      for (int I = 0; I < 3; ++I) E += (Point[I] - FC[M - 1][I]) * (Point[I] - FC[M - 1][I]);
      const double F = E / Z;
      for (int I = 0; I < 3; ++I) FC[M][I] = FC[M - 1][I] + F * FV[M][I];
      FR2[M] = FR2[M - 1] + E * F / 2;
    }
    for (int I = 0; I < 3; ++I) FCenter[I] = FC[M][I];
    FSquaredRadius = FR2[M];
    ++FSize;
    return true;
  }
  // Forgets the last support point; the ball stays as it is, which is the
  // ball the caller's recursion has just found.
  void Pop() { --FSize; }

private:
  int FSize = 0;
  double FQ0[3] = {0, 0, 0};
  double FV[4][3] = {};
  double FZ[4] = {};
  double FC[4][3] = {};
  double FR2[4] = {};
  double FCenter[3] = {0, 0, 0};
  double FSquaredRadius = -1;  // no ball yet: every point is outside
};

// Welzl's recursion with move-to-front over an index list threaded through
// two arrays (slot N is the list's head and end).
class TSolver {
public:
  explicit TSolver(std::span<const TPoint3> Points) {
    const uint32_t N = uint32_t(Points.size());
    FEnd = N;
    // A fixed-seed shuffle (splitmix64, Fisher-Yates): expected linear time
    // on any input, identical results on every run and every library. The
    // points are copied in the shuffled order, so the list starts out as a
    // walk through memory in order.
    FPoints.assign(Points.begin(), Points.end());
    uint64_t State = 0x9E3779B97F4A7C15ull;
    for (uint32_t I = N; I > 1; --I) {
      State += 0x9E3779B97F4A7C15ull;
      uint64_t R = State;
      R = (R ^ (R >> 30)) * 0xBF58476D1CE4E5B9ull;
      R = (R ^ (R >> 27)) * 0x94D049BB133111EBull;
      R ^= R >> 31;
      std::swap(FPoints[I - 1], FPoints[uint32_t(R % I)]);
    }
    FNext.resize(size_t(N) + 1);
    FPrev.resize(size_t(N) + 1);
    for (uint32_t I = 0; I < N; ++I) {
      FNext[I] = I + 1;
      FPrev[I + 1] = I;
    }
    FNext[N] = N == 0 ? N : 0;
    FPrev[0] = N;
  }

  void Solve() {
    // Start from the ball of the first two points, then let the point that
    // lies farthest outside pivot into the support each round, until no point
    // is outside or the ball stops growing (rounding).
    uint32_t Rest = FNext[First()];
    MoveToFrontBall(Rest);
    double OldSquaredRadius = -1;
    for (;;) {
      uint32_t Pivot = FEnd;
      const double MaxExcess = LargestExcess(Rest, FEnd, Pivot);
      if (!(MaxExcess > OutsideMargin * FSupport.SquaredRadius()) || Pivot == FEnd) break;
      if (!(FSupport.SquaredRadius() > OldSquaredRadius)) break;
      Rest = FSupportEnd;
      if (Rest == Pivot) Rest = FNext[Rest];
      OldSquaredRadius = FSupport.SquaredRadius();
      if (!FSupport.Push(FPoints[Pivot])) break;
      MoveToFrontBall(FSupportEnd);
      FSupport.Pop();
      MoveToFront(Pivot);
    }
  }

  const double (&Center() const)[3] { return FSupport.Center(); }

private:
  uint32_t First() const { return FNext[FEnd]; }

  double Excess(uint32_t I) const { return SquaredDistance(FPoints[I], FSupport.Center()) - FSupport.SquaredRadius(); }

  // The smallest ball of the points before Stop in the list with the
  // current support on its boundary.
  void MoveToFrontBall(uint32_t Stop) {
    FSupportEnd = First();
    if (FSupport.Size() == 4) return;
    for (uint32_t K = First(); K != Stop;) {
      const uint32_t J = K;
      K = FNext[K];
      if (Excess(J) > OutsideMargin * FSupport.SquaredRadius()) {
        if (FSupport.Push(FPoints[J])) {
          MoveToFrontBall(J);
          FSupport.Pop();
          MoveToFront(J);
        }
      }
    }
  }

  double LargestExcess(uint32_t From, uint32_t Stop, uint32_t& Pivot) const {
    double Largest = 0;
    for (uint32_t K = From; K != Stop; K = FNext[K]) {
      const double E = Excess(K);
      if (E > Largest) {
        Largest = E;
        Pivot = K;
      }
    }
    return Largest;
  }

  void MoveToFront(uint32_t J) {
    if (FSupportEnd == J) FSupportEnd = FNext[J];
    if (First() == J) return;
    FNext[FPrev[J]] = FNext[J];
    FPrev[FNext[J]] = FPrev[J];
    const uint32_t OldFirst = First();
    FNext[FEnd] = J;
    FPrev[J] = FEnd;
    FNext[J] = OldFirst;
    FPrev[OldFirst] = J;
  }

  std::vector<TPoint3> FPoints;
  std::vector<uint32_t> FNext, FPrev;
  uint32_t FEnd = 0;
  uint32_t FSupportEnd = 0;
  TSupport FSupport;
};

}  // namespace

TBall SmallestEnclosingSphere(std::span<const TPoint3> Points) {
  if (Points.empty()) throw ESmallestSphere("SmallestEnclosingSphere: no points to enclose");
  if (Points.size() >= std::numeric_limits<uint32_t>::max())
    throw ESmallestSphere("SmallestEnclosingSphere: too many points (" + std::to_string(Points.size()) + ")");
  for (size_t I = 0; I < Points.size(); ++I) {
    const TPoint3& P = Points[I];
    if (!std::isfinite(P.X) || !std::isfinite(P.Y) || !std::isfinite(P.Z))
      throw ESmallestSphere("SmallestEnclosingSphere: point " + std::to_string(I) + " is not finite");
  }

  TSolver Solver(Points);
  Solver.Solve();
  const double(&C)[3] = Solver.Center();

  // The radius is measured, not taken from the solver: every point is then
  // inside, whatever rounding did to the support.
  double Largest = 0;
  for (const TPoint3& P : Points) {
    const double D = SquaredDistance(P, C);
    if (D > Largest) Largest = D;
  }
  TBall Ball;
  Ball.Center = {C[0], C[1], C[2]};
  Ball.Radius = std::sqrt(Largest);
  return Ball;
}
