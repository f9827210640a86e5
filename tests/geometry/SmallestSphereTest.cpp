// The smallest enclosing sphere against brute force over every candidate
// support set, on random small sets and on the degenerate ones.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "geometry/SmallestSphere.h"
#include "tests/support/ErrorMessage.h"

namespace {

using TPoints = std::vector<TPoint3>;
TPoint3 Sub(TPoint3 A, TPoint3 B) { return {A.X - B.X, A.Y - B.Y, A.Z - B.Z}; }
TPoint3 Add(TPoint3 A, TPoint3 B) { return {A.X + B.X, A.Y + B.Y, A.Z + B.Z}; }
TPoint3 Mul(TPoint3 A, double S) { return {A.X * S, A.Y * S, A.Z * S}; }
double Dot(TPoint3 A, TPoint3 B) { return A.X * B.X + A.Y * B.Y + A.Z * B.Z; }
TPoint3 Cross(TPoint3 A, TPoint3 B) { return {A.Y * B.Z - A.Z * B.Y, A.Z * B.X - A.X * B.Z, A.X * B.Y - A.Y * B.X}; }
double Distance(TPoint3 A, TPoint3 B) { return std::sqrt(Dot(Sub(A, B), Sub(A, B))); }

// The smallest of the spheres through one to four of the points (midpoint,
// circumcircle, circumsphere) measured over all points.
double BruteForceRadius(const TPoints& P) {
  double Best = std::numeric_limits<double>::infinity();
  auto Try = [&](TPoint3 C) {
    double R = 0;
    for (const TPoint3& Q : P) R = std::max(R, Distance(C, Q));
    Best = std::min(Best, R);
  };
  const size_t N = P.size();
  for (size_t I = 0; I < N; ++I) {
    Try(P[I]);
    for (size_t J = I + 1; J < N; ++J) {
      Try(Mul(Add(P[I], P[J]), 0.5));
      for (size_t K = J + 1; K < N; ++K) {
        const TPoint3 A = Sub(P[J], P[I]), B = Sub(P[K], P[I]), AxB = Cross(A, B);
        const double D = 2 * Dot(AxB, AxB);
        if (D > 1e-18) Try(Add(P[I], Mul(Cross(Sub(Mul(B, Dot(A, A)), Mul(A, Dot(B, B))), AxB), 1 / D)));
        for (size_t L = K + 1; L < N; ++L) {
          const TPoint3 C = Sub(P[L], P[I]);
          const double Det = Dot(A, Cross(B, C));
          if (std::fabs(Det) < 1e-12) continue;
          Try(Add(P[I], Mul(Add(Add(Mul(Cross(B, C), Dot(A, A)), Mul(Cross(C, A), Dot(B, B))), Mul(AxB, Dot(C, C))),
                            0.5 / Det)));
        }
      }
    }
  }
  return Best;
}

void ExpectSmallest(const TPoints& P) {
  const TBall Ball = SmallestEnclosingSphere(P);
  const double Expected = BruteForceRadius(P);
  for (const TPoint3& Q : P) EXPECT_LE(Distance(Ball.Center, Q), Ball.Radius * (1 + 1e-12));
  EXPECT_NEAR(Ball.Radius, Expected, 1e-6 * Expected + 1e-300);
}

TEST(SmallestSphere, MatchesBruteForceOnRandomSets) {
  std::mt19937 Random(7);
  std::uniform_real_distribution<double> Coordinate(-10, 10);
  for (int Round = 0; Round < 300; ++Round) {
    SCOPED_TRACE(Round);
    TPoints P(size_t(1 + Round % 9));
    for (TPoint3& Q : P) Q = {Coordinate(Random), Coordinate(Random), Coordinate(Random)};
    ExpectSmallest(P);
  }
}

TEST(SmallestSphere, DegenerateSets) {
  const TBall One = SmallestEnclosingSphere(TPoints{{1.5, -2, 3}});
  EXPECT_EQ(One.Radius, 0);
  EXPECT_EQ(One.Center.X, 1.5);
  EXPECT_EQ(SmallestEnclosingSphere(TPoints(5, {4, 4, 4})).Radius, 0);  // all equal
  ExpectSmallest({{0, 0, 0}, {2, 0, 0}});
  ExpectSmallest({{0, 0, 0}, {2, 0, 0}, {0, 2, 0}});
  ExpectSmallest({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {1.5, 0, 0}});  // collinear
  ExpectSmallest({{0, 0, 0}, {10, 0, 0}, {5, 0.001, 0}});                     // nearly collinear
  TPoints Grid;                                                               // coplanar, four corners on the answer
  for (int I = 0; I < 25; ++I) Grid.push_back({double(I % 5), double(I / 5), 0});
  ExpectSmallest(Grid);
  TPoints Cube;  // cospherical, each point twice
  for (int I = 0; I < 16; ++I) Cube.push_back({double(I & 1), double((I >> 1) & 1), double((I >> 2) & 1)});
  ExpectSmallest(Cube);
}

TEST(SmallestSphere, RefusesEmptyAndNonFiniteInput) {
  EXPECT_EQ(MessageOf([] { SmallestEnclosingSphere(TPoints{}); }), "SmallestEnclosingSphere: no points to enclose");
  const double NaN = std::numeric_limits<double>::quiet_NaN(), Inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(MessageOf([&] {
              SmallestEnclosingSphere(TPoints{{0, 0, 0}, {1, NaN, 0}});
            }),
            "SmallestEnclosingSphere: point 1 is not finite");
  EXPECT_EQ(MessageOf([&] {
              SmallestEnclosingSphere(TPoints{{0, 0, -Inf}});
            }),
            "SmallestEnclosingSphere: point 0 is not finite");
}

}  // namespace
