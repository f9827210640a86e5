#include "editor/SphereFit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "iff/IffReader.h"
#include "model/TZorvObject.h"
#include "runtime/FloatErrors.h"

void GatherFaceVertices(const TMeshData& Mesh, const std::string& LevelTag, std::vector<TPoint3>& Points) {
  std::vector<uint8_t> Taken(size_t(Mesh.VertexCount), 0);
  // Room at least doubles, so gathering level after level stays linear.
  const size_t Needed = Points.size() + size_t(Mesh.VertexCount);
  if (Needed > Points.capacity()) Points.reserve(std::max(Needed, 2 * Points.capacity()));
  for (int32_t F = 0; F < Mesh.FaceCount; ++F) {
    const TFace& Face = Mesh.Faces[size_t(F)];
    if (!FaceIsUsable(Mesh, Face)) continue;
    for (int32_t K = 0; K < Face.Count; ++K) {
      const int32_t V = Mesh.FaceVertices[size_t(Face.First) + size_t(K)].Vertex;
      if (Taken[size_t(V)]) continue;
      Taken[size_t(V)] = 1;
      const TVector& P = Mesh.Vertices[size_t(V)];
      if (!std::isfinite(P.X) || !std::isfinite(P.Y) || !std::isfinite(P.Z))
        throw ESphereFit("FitModelSphere: vertex " + std::to_string(V) +
                         (LevelTag.empty() ? "" : " of level " + LevelTag) + " is not finite");
      Points.push_back({P.X, P.Y, P.Z});
    }
  }
}

namespace {

// Error-free transformations: A + B and A * B as an exact sum of two doubles.
void TwoSum(double A, double B, double& Sum, double& Error) {
  Sum = A + B;
  const double BVirtual = Sum - A, AVirtual = Sum - BVirtual;
  Error = (A - AVirtual) + (B - BVirtual);
}
void TwoProduct(double A, double B, double& Product, double& Error) {
  Product = A * B;
  Error = std::fma(A, B, -Product);
}

// The exact sign of |P - C|^2 - R^2 for floats P, C and R: every product and
// sum is kept as an exact expansion of doubles, so points on the boundary
// are told from points a hair outside it without any margin.
int ExactExcessSign(const TPoint3& P, const float (&C)[3], float R) {
  double Terms[19];
  int Count = 0;
  const double Coordinates[3] = {P.X, P.Y, P.Z};
  for (int I = 0; I < 3; ++I) {
    double Hi, Lo;
    TwoSum(Coordinates[I], -double(C[I]), Hi, Lo);
    TwoProduct(Hi, Hi, Terms[Count], Terms[Count + 1]);
    TwoProduct(2 * Hi, Lo, Terms[Count + 2], Terms[Count + 3]);
    TwoProduct(Lo, Lo, Terms[Count + 4], Terms[Count + 5]);
    Count += 6;
  }
  Terms[Count++] = -double(R) * double(R);  // a float's square is exact in a double
  // Shewchuk's growing expansion: its components never overlap, so the sum's
  // sign is the sign of its largest non-zero component.
  double Expansion[20];
  int Length = 0;
  for (int T = 0; T < Count; ++T) {
    double Q = Terms[T];
    int Kept = 0;
    for (int K = 0; K < Length; ++K) {
      double Sum, Error;
      TwoSum(Q, Expansion[K], Sum, Error);
      if (Error != 0) Expansion[Kept++] = Error;
      Q = Sum;
    }
    if (Q != 0) Expansion[Kept++] = Q;
    Length = Kept;
  }
  if (Length == 0) return 0;
  return Expansion[Length - 1] > 0 ? 1 : -1;
}

}  // namespace

TFittedSphere RoundSphereOutward(const TBall& Ball, std::span<const TPoint3> Points) {
  TFittedSphere Sphere;
  const double C[3] = {Ball.Center.X, Ball.Center.Y, Ball.Center.Z};
  for (int I = 0; I < 3; ++I) Sphere.Center[I] = ToSingle(C[I]);
  // Measured again from the centre as it will be stored: moving the centre
  // to floats may have brought it nearer to one side.
  auto SquaredDistance = [&Sphere](const TPoint3& P) {
    const double DX = P.X - double(Sphere.Center[0]), DY = P.Y - double(Sphere.Center[1]),
                 DZ = P.Z - double(Sphere.Center[2]);
    return DX * DX + DY * DY + DZ * DZ;
  };
  double Largest = 0;
  for (const TPoint3& P : Points) Largest = std::fmax(Largest, SquaredDistance(P));
  float Radius = ToSingle(std::sqrt(Largest));
  // A point measured clearly inside (doubles err by a few parts in 1e16) is
  // inside; the few near the boundary are decided exactly, and the radius
  // goes up by one float step while one of them lies outside.
  for (const TPoint3& P : Points) {
    while (!(SquaredDistance(P) <= double(Radius) * double(Radius) * (1 - 1e-12)) &&
           ExactExcessSign(P, Sphere.Center, Radius) > 0) {
      Radius = std::nextafter(Radius, std::numeric_limits<float>::infinity());
      if (!std::isfinite(Radius)) RaiseOverflow();
    }
  }
  Sphere.Radius = Radius;
  return Sphere;
}

namespace {

// Loads one level of FileName and appends its face vertices: from the file
// when Reader is null (the first load, which names the levels), else the
// level alone through Reader. An every-level fit loads level 0 first, and
// learns from it how many levels there are.
TModelLevels GatherLevel(const std::string& FileName, int LOD, bool ReadOnly, TIffReader* Reader,
                         std::vector<TPoint3>& Points) {
  TZorvObject Model(TDisplayListPolicy::None);
  Model.OpenReadOnly = ReadOnly;
  Model.SetKeepData(true);
  Model.SetLOD(LOD);
  if (Reader)
    Model.LoadLevel(*Reader);
  else
    Model.LoadFromFile(FileName);
  GatherFaceVertices(Model.Mesh(), Model.Levels().Loaded, Points);
  return Model.Levels();
}

}  // namespace

TFittedSphere FitModelSphere(const std::string& FileName, std::optional<int> LOD, bool ReadOnly) {
  std::vector<TPoint3> Points;
  if (LOD) {
    GatherLevel(FileName, *LOD, ReadOnly, nullptr, Points);
  } else {
    const TModelLevels Levels = GatherLevel(FileName, 0, ReadOnly, nullptr, Points);
    // The level numbers count the container's forms (see the loader), each
    // level read once. The file is indexed once for all the other levels.
    const size_t Count = size_t(DistinctLevelCount(int32_t(Levels.Tags.size())));
    if (Count > 1) {
      TIffReader Reader(FileName, ReadOnly);
      for (size_t I = 1; I < Count; ++I) GatherLevel(FileName, int(I), ReadOnly, &Reader, Points);
    }
  }
  if (Points.empty()) throw ESphereFit("FitModelSphere: the model has no faces to enclose");
  const TBall Ball = SmallestEnclosingSphere(Points);
  return RoundSphereOutward(Ball, Points);
}
