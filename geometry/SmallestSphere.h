#pragma once
// The smallest sphere that encloses a set of points in space, without a
// toolkit: Welzl's algorithm with move-to-front over a deterministically
// shuffled order, and a pivoting outer loop that keeps the support set
// well-conditioned. Expected linear time; computed in double precision.
#include <cstddef>
#include <span>

#include "runtime/Exception.h"

// An empty set, a point that is not finite, more points than the algorithm
// indexes.
QUELBIR_EXCEPTION(ESmallestSphere);

struct TPoint3 {
  double X = 0;
  double Y = 0;
  double Z = 0;
};

struct TBall {
  TPoint3 Center;
  double Radius = 0;
};

// The smallest enclosing sphere of Points. Every point lies within Radius of
// Center as measured in double precision (the radius is the largest distance
// from the centre found, never the solver's own estimate), and the radius
// exceeds the true minimum by rounding only. One point gives radius 0; equal,
// collinear and coplanar points are handled. The result does not depend on
// the order of Points beyond rounding, and the same input always gives the
// same bits.
//
// Errors: "SmallestEnclosingSphere: no points to enclose";
// "SmallestEnclosingSphere: point <i> is not finite" (counted from 0).
TBall SmallestEnclosingSphere(std::span<const TPoint3> Points);
