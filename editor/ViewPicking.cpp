#include "editor/ViewPicking.h"

#include <cmath>
#include <limits>

#include "model/TZorvObject.h"

namespace {

using TMatrix3 = double[3][3];

// glRotate's matrix for Angle degrees about the axis (X, Y, Z).
void RotationAbout(double Angle, double X, double Y, double Z, TMatrix3& R) {
  const double Length = std::sqrt(X * X + Y * Y + Z * Z);
  if (Angle == 0 || Length == 0) {
    for (int I = 0; I < 3; ++I)
      for (int J = 0; J < 3; ++J) R[I][J] = I == J ? 1 : 0;
    return;
  }
  X /= Length, Y /= Length, Z /= Length;
  const double A = Angle * M_PI / 180, C = std::cos(A), S = std::sin(A), T = 1 - C;
  const double M[3][3] = {{X * X * T + C, X * Y * T - Z * S, X * Z * T + Y * S},
                          {Y * X * T + Z * S, Y * Y * T + C, Y * Z * T - X * S},
                          {Z * X * T - Y * S, Z * Y * T + X * S, Z * Z * T + C}};
  for (int I = 0; I < 3; ++I)
    for (int J = 0; J < 3; ++J) R[I][J] = M[I][J];
}

// Into := Into * By, as glMultMatrix composes.
void MultiplyBy(TMatrix3& Into, const TMatrix3& By) {
  double Result[3][3];
  for (int I = 0; I < 3; ++I)
    for (int J = 0; J < 3; ++J) Result[I][J] = Into[I][0] * By[0][J] + Into[I][1] * By[1][J] + Into[I][2] * By[2][J];
  for (int I = 0; I < 3; ++I)
    for (int J = 0; J < 3; ++J) Into[I][J] = Result[I][J];
}

}  // namespace

std::vector<TViewTransform> ViewTransforms(const TSceneState& State) {
  std::vector<TViewTransform> Views;
  if (State.Model == nullptr) return Views;
  const double FitScale = State.Model->Scale();
  if (FitScale == 0 || !std::isfinite(FitScale)) return Views;
  for (const TLayoutView& Layout : LayoutViews(State.Layout)) {
    TViewTransform View;
    if (Layout.Translate) View.Offset[0] = Layout.X, View.Offset[1] = Layout.Y;
    RotationAbout(Layout.Angle, Layout.AxisX, Layout.AxisY, Layout.AxisZ, View.Rotation);
    const double Axes[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int I = 0; I < 3; ++I) {
      double R[3][3];
      RotationAbout(State.Angles[I], Axes[I][0], Axes[I][1], Axes[I][2], R);
      MultiplyBy(View.Rotation, R);
    }
    View.Scale = double(State.Scale) * FitScale;
    View.KeepProportions = State.KeepProportions;
    Views.push_back(View);
  }
  return Views;
}

TPixel ProjectToPixel(const TViewTransform& View, const TModelPoint& Point, int Width, int Height) {
  double Square[2];
  for (int I = 0; I < 2; ++I)
    Square[I] = View.Offset[I] + View.Scale * (View.Rotation[I][0] * Point[0] + View.Rotation[I][1] * Point[1] +
                                               View.Rotation[I][2] * Point[2]);
  const std::array<double, 2> Squeeze = ProportionSqueeze(Width, Height, View.KeepProportions);
  return {(Square[0] * Squeeze[0] + 1) / 2 * Width, (1 - Square[1] * Squeeze[1]) / 2 * Height};
}

TModelPoint HardpointOrigin(const std::array<float, 16>& Matrix) { return {Matrix[12], Matrix[13], Matrix[14]}; }

std::optional<THardpointPick> PickHardpoint(const TSceneState& State, int Width, int Height, double X, double Y,
                                            double Radius, bool SelectedOnly) {
  std::optional<THardpointPick> Best;
  const std::vector<TViewTransform> Views = ViewTransforms(State);
  for (int V = 0; V < int(Views.size()); ++V) {
    for (int H = 0; H < int(State.Hardpoints.size()); ++H) {
      if (SelectedOnly && !State.HardpointSelected(H)) continue;
      const TPixel At =
          ProjectToPixel(Views[size_t(V)], HardpointOrigin(State.Hardpoints[size_t(H)].Matrix), Width, Height);
      const double Distance = std::hypot(At.X - X, At.Y - Y);
      if (Distance <= Radius && (!Best || Distance < Best->Distance)) Best = THardpointPick{H, V, Distance};
    }
  }
  return Best;
}

TModelPoint MoveInViewPlane(const TViewTransform& View, const TModelPoint& Start, double DX, double DY, int Width,
                            int Height) {
  if (View.Scale == 0 || Width <= 0 || Height <= 0) return Start;
  // The pointer's step in the -1..1 square, with no depth, turned back by
  // the view's rotation (whose inverse is its transpose).
  const std::array<double, 2> Squeeze = ProportionSqueeze(Width, Height, View.KeepProportions);
  const double Step[2] = {2 * DX / Width / Squeeze[0], -2 * DY / Height / Squeeze[1]};
  TModelPoint Moved = Start;
  for (int I = 0; I < 3; ++I)
    Moved[size_t(I)] =
        float(Start[size_t(I)] + (View.Rotation[0][I] * Step[0] + View.Rotation[1][I] * Step[1]) / View.Scale);
  return Moved;
}

std::optional<TModelPoint> NearestVertexOnScreen(const TViewTransform& View, const TMeshData& Mesh, int Width,
                                                 int Height, double X, double Y) {
  std::optional<TModelPoint> Best;
  double BestDistance = std::numeric_limits<double>::infinity();
  const TVector* Vertices = Mesh.Vertices.Data();
  for (int32_t I = 0; I < Mesh.VertexCount; ++I) {
    const TModelPoint P = {Vertices[I].X, Vertices[I].Y, Vertices[I].Z};
    const TPixel At = ProjectToPixel(View, P, Width, Height);
    const double Distance = (At.X - X) * (At.X - X) + (At.Y - Y) * (At.Y - Y);
    if (Distance < BestDistance) BestDistance = Distance, Best = P;
  }
  return Best;
}
