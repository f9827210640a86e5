#pragma once
// A box-shaped sample mesh, for tests that look for a model's extent on a
// painted frame.
#include "model/SampleModel.h"

// The outline of a box from Lo to Hi, all six sides.
inline TSampleMesh Box(TVector Lo, TVector Hi) {
  TSampleMesh M;
  auto P = [&](int X, int Y, int Z) { return TVector{X ? Hi.X : Lo.X, Y ? Hi.Y : Lo.Y, Z ? Hi.Z : Lo.Z}; };
  M.AddPolygon({P(0, 0, 0), P(0, 1, 0), P(1, 1, 0), P(1, 0, 0)});
  M.AddPolygon({P(0, 0, 1), P(1, 0, 1), P(1, 1, 1), P(0, 1, 1)});
  M.AddPolygon({P(0, 0, 0), P(1, 0, 0), P(1, 0, 1), P(0, 0, 1)});
  M.AddPolygon({P(0, 1, 0), P(0, 1, 1), P(1, 1, 1), P(1, 1, 0)});
  M.AddPolygon({P(0, 0, 0), P(0, 0, 1), P(0, 1, 1), P(0, 1, 0)});
  M.AddPolygon({P(1, 0, 0), P(1, 1, 0), P(1, 1, 1), P(1, 0, 1)});
  return M;
}
