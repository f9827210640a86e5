#include "model/SampleModel.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "iff/IffWriter.h"
#include "model/SampleTextures.h"
#include "model/THardpoint.h"
#include "runtime/OutputFiles.h"

namespace {

// A ring of four corners around the Z axis, counter-clockwise seen from +Z.
using TRing = std::array<TVector, 4>;

TRing Ring(float X0, float X1, float Y0, float Y1, float Z) {
  return {TVector{X0, Y0, Z}, TVector{X1, Y0, Z}, TVector{X1, Y1, Z}, TVector{X0, Y1, Z}};
}

// The closed solid between rings, back (lowest Z) first: side quads between
// each pair of rings and the two end caps.
void AddLoft(TSampleMesh& Mesh, const std::vector<TRing>& Rings) {
  const TRing& Back = Rings.front();
  Mesh.AddPolygon({Back[3], Back[2], Back[1], Back[0]});
  for (size_t R = 0; R + 1 < Rings.size(); ++R) {
    const TRing& A = Rings[R];
    const TRing& B = Rings[R + 1];
    for (int I = 0; I < 4; ++I) {
      int J = (I + 1) % 4;
      Mesh.AddPolygon({A[I], A[J], B[J], B[I]});
    }
  }
  const TRing& Front = Rings.back();
  Mesh.AddPolygon({Front[0], Front[1], Front[2], Front[3]});
}

using TOutline = std::array<std::array<float, 2>, 4>;

// A prism between two parallel planes, at depths D0 and D1 along the axis
// the planes are crossed by: its two caps, outlined by the four points
// given counter-clockwise seen from the D1 side, and (when Sides) its four
// walls. At maps an outline point and a depth to the point in space.
template <class TAt>
void AddPrism(TSampleMesh& Mesh, const TOutline& Outline, float D0, float D1, bool Sides, TAt At) {
  auto P = [&](int I, float D) { return At(Outline[I], D); };
  Mesh.AddPolygon({P(0, D1), P(1, D1), P(2, D1), P(3, D1)});
  Mesh.AddPolygon({P(3, D0), P(2, D0), P(1, D0), P(0, D0)});
  if (!Sides) return;
  for (int I = 0; I < 4; ++I) {
    int J = (I + 1) % 4;
    Mesh.AddPolygon({P(J, D0), P(J, D1), P(I, D1), P(I, D0)});
  }
}

// A slab whose two faces lie in the planes Y = Y0 and Y = Y1, outlined by the
// four points (X, Z) given counter-clockwise seen from +Y.
void AddSlab(TSampleMesh& Mesh, const TOutline& Outline, float Y0, float Y1, bool Sides) {
  AddPrism(Mesh, Outline, Y0, Y1, Sides, [](const std::array<float, 2>& O, float Y) { return TVector{O[0], Y, O[1]}; });
}

// A fin standing in the plane X = X0..X1 (thickness), outlined by (Z, Y)
// points counter-clockwise seen from +X.
void AddFin(TSampleMesh& Mesh, const TOutline& Outline, float X0, float X1, bool Sides) {
  AddPrism(Mesh, Outline, X0, X1, Sides, [](const std::array<float, 2>& O, float X) { return TVector{X, O[1], O[0]}; });
}

std::array<float, 16> Placement(const TVector& XAxis, const TVector& YAxis, const TVector& ZAxis,
                                const TVector& Position) {
  return {XAxis.X, XAxis.Y, XAxis.Z, 0, YAxis.X,    YAxis.Y,    YAxis.Z,    0,
          ZAxis.X, ZAxis.Y, ZAxis.Z, 0, Position.X, Position.Y, Position.Z, 1};
}

}  // namespace

std::vector<uint8_t> SampleModelBytes(bool SingleMesh) {
  const TSampleSphere Sphere = SampleCraftSphere();
  if (SingleMesh) return SingleMeshModelBytes(SampleCraftMesh(0), SampleCraftHardpoints(), &Sphere);
  std::vector<TSampleMesh> Levels;
  for (int Level = 0; Level < 3; ++Level) Levels.push_back(SampleCraftMesh(Level));
  return LodModelBytes(Levels, SampleCraftHardpoints(), &Sphere);
}

TSampleMesh SampleCraftMesh(int Level) {
  TSampleMesh Mesh;
  // Fuselage along Z, nose at +Z: a lofted body, finer at higher detail.
  std::vector<TRing> Body;
  if (Level <= 0) {
    Body = {Ring(-0.35f, 0.35f, -0.3f, 0.3f, -3.0f), Ring(-0.5f, 0.5f, -0.4f, 0.4f, -1.5f),
            Ring(-0.5f, 0.5f, -0.4f, 0.45f, 0.0f),   Ring(-0.45f, 0.45f, -0.35f, 0.5f, 1.5f),
            Ring(-0.3f, 0.3f, -0.25f, 0.3f, 3.0f),   Ring(-0.1f, 0.1f, -0.08f, 0.08f, 4.5f)};
  } else if (Level == 1) {
    Body = {Ring(-0.35f, 0.35f, -0.3f, 0.3f, -3.0f), Ring(-0.5f, 0.5f, -0.4f, 0.45f, 0.0f),
            Ring(-0.3f, 0.3f, -0.25f, 0.3f, 3.0f), Ring(-0.1f, 0.1f, -0.08f, 0.08f, 4.5f)};
  } else {
    Body = {Ring(-0.4f, 0.4f, -0.35f, 0.4f, -3.0f), Ring(-0.3f, 0.3f, -0.25f, 0.3f, 3.0f),
            Ring(-0.1f, 0.1f, -0.08f, 0.08f, 4.5f)};
  }
  AddLoft(Mesh, Body);
  // Swept wings, right then left (outlines counter-clockwise seen from +Y).
  const bool Thick = Level <= 1;
  AddSlab(Mesh, {{{0.5f, 1.0f}, {0.5f, -2.0f}, {4.0f, -2.0f}, {4.0f, -1.0f}}}, -0.05f, 0.05f, Thick);
  AddSlab(Mesh, {{{-0.5f, 1.0f}, {-4.0f, -1.0f}, {-4.0f, -2.0f}, {-0.5f, -2.0f}}}, -0.05f, 0.05f, Thick);
  // Tail fins on the back of the fuselage: twin fins at full detail, one
  // centre fin below that (outlines as (Z, Y) counter-clockwise seen from +X).
  const std::array<std::array<float, 2>, 4> Fin{{{-3.0f, 0.3f}, {-1.5f, 0.4f}, {-2.6f, 1.6f}, {-3.0f, 1.6f}}};
  if (Level <= 0) {
    AddFin(Mesh, Fin, 0.26f, 0.34f, true);
    AddFin(Mesh, Fin, -0.34f, -0.26f, true);
    // Engine pods under the wings.
    AddLoft(Mesh, {Ring(-1.5f, -1.1f, -0.35f, -0.05f, -2.8f), Ring(-1.5f, -1.1f, -0.35f, -0.05f, -0.6f)});
    AddLoft(Mesh, {Ring(1.1f, 1.5f, -0.35f, -0.05f, -2.8f), Ring(1.1f, 1.5f, -0.35f, -0.05f, -0.6f)});
  } else {
    AddFin(Mesh, Fin, -0.04f, 0.04f, Level == 1);
  }
  AssignSampleTextures(Mesh);
  return Mesh;
}

std::vector<TSampleHardpoint> SampleCraftHardpoints() {
  const TVector X{1, 0, 0}, Y{0, 1, 0}, Z{0, 0, 1};
  const TVector Back{0, 0, -1}, Left{-1, 0, 0};
  // The cockpit looks forward and 15 degrees up.
  const float C = std::cos(15.0f * 3.14159265f / 180), S = std::sin(15.0f * 3.14159265f / 180);
  return {
      {"GunLeft", Placement(X, Y, Z, {-1.0f, -0.1f, 1.0f})},
      {"GunRight", Placement(X, Y, Z, {1.0f, -0.1f, 1.0f})},
      {"EngineLeft", Placement(Left, Y, Back, {-1.3f, -0.2f, -2.8f})},
      {"EngineRight", Placement(Left, Y, Back, {1.3f, -0.2f, -2.8f})},
      {"Cockpit", Placement(X, {0, C, -S}, {0, S, C}, {0.0f, 0.5f, 1.5f})},
  };
}

TSampleSphere SampleCraftSphere() {
  // Centred on the middle of the most detailed level's bounds, reaching its
  // farthest vertex, rounded up to a tenth.
  TSampleMesh Mesh = SampleCraftMesh(0);
  TVector Min = Mesh.Vertices[0], Max = Mesh.Vertices[0];
  for (const TVector& V : Mesh.Vertices) {
    Min = {std::fmin(Min.X, V.X), std::fmin(Min.Y, V.Y), std::fmin(Min.Z, V.Z)};
    Max = {std::fmax(Max.X, V.X), std::fmax(Max.Y, V.Y), std::fmax(Max.Z, V.Z)};
  }
  TSampleSphere Sphere;
  Sphere.Center = {(Min.X + Max.X) / 2, (Min.Y + Max.Y) / 2, (Min.Z + Max.Z) / 2};
  float Reach = 0;
  for (const TVector& V : Mesh.Vertices) {
    const TVector D{V.X - Sphere.Center.X, V.Y - Sphere.Center.Y, V.Z - Sphere.Center.Z};
    Reach = std::fmax(Reach, std::sqrt(D.X * D.X + D.Y * D.Y + D.Z * D.Z));
  }
  Sphere.Value = std::ceil(Reach * 10) / 10;
  Sphere.WithExtn = true;
  return Sphere;
}

void WriteSampleModel(const std::string& FileName) {
  const std::vector<uint8_t> Bytes = SampleModelBytes(/*SingleMesh=*/false);
  WriteOutputFile(FileName, Bytes.data(), Bytes.size());
}
void WriteSampleSingleMeshModel(const std::string& FileName) {
  const std::vector<uint8_t> Bytes = SampleModelBytes(/*SingleMesh=*/true);
  WriteOutputFile(FileName, Bytes.data(), Bytes.size());
}
void WriteMatFile(const std::string& FileName, int32_t Width, int32_t Height, const TPalette& Palette,
                  const std::vector<uint8_t>& Pixels) {
  const std::vector<uint8_t> Bytes = MatFileBytes(Width, Height, Palette, Pixels);
  WriteOutputFile(FileName, Bytes.data(), Bytes.size());
}
