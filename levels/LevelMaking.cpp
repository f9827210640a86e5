#include "levels/LevelMaking.h"

#include <meshoptimizer.h>

#include <array>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "model/ZorvTextures.h"

namespace {

// A run of 32-bit words as a hash key.
template <size_t N>
struct TWords {
  std::array<uint32_t, N> W{};
  bool operator==(const TWords& Other) const { return W == Other.W; }
};
template <size_t N>
struct THashWords {
  size_t operator()(const TWords<N>& Key) const {
    uint64_t H = 0x9E3779B97F4A7C15ull;
    for (uint32_t Word : Key.W) H = (H ^ Word) * 0xFF51AFD7ED558CCDull;
    return size_t(H ^ (H >> 29));
  }
};

uint32_t Bits(float Value) {
  Value += 0.0f;  // -0 and 0 are one place
  uint32_t Result;
  std::memcpy(&Result, &Value, 4);
  return Result;
}
uint32_t Bits(int32_t Value) { return uint32_t(Value); }

// What a face carries besides its corners: its texture number and the
// values the file keeps without interpreting them. Faces that differ in any
// of these are never merged, and a made face carries its material's.
using TMaterial = TWords<4>;
// One corner as the simplifier sees it: the place, the material, and the
// corner's own texture coordinates and kept value. Corners that share a
// place but not the rest are a seam, which the simplifier keeps.
using TWedge = TWords<5>;

struct TDouble3 {
  double X = 0, Y = 0, Z = 0;
};
TDouble3 Sub(const TVector& A, const TVector& B) { return {double(A.X) - B.X, double(A.Y) - B.Y, double(A.Z) - B.Z}; }
TDouble3 Cross(const TDouble3& A, const TDouble3& B) {
  return {A.Y * B.Z - A.Z * B.Y, A.Z * B.X - A.X * B.Z, A.X * B.Y - A.Y * B.X};
}
double Dot(const TDouble3& A, const TDouble3& B) { return A.X * B.X + A.Y * B.Y + A.Z * B.Z; }

bool Finite(const TVector& V) { return std::isfinite(V.X) && std::isfinite(V.Y) && std::isfinite(V.Z); }

// The finest mesh as triangles over wedges.
struct TWedgeMesh {
  std::vector<float> Positions;      // three per wedge
  std::vector<int32_t> WedgePlace;   // the welded place of each wedge
  std::vector<TFaceVertex> Corners;  // each wedge's corner as the file holds it
  std::vector<int32_t> WedgeMaterial;
  std::vector<TMaterial> Materials;
  std::vector<TVector> Places;
  std::vector<uint32_t> Triangles;
  // +1 when the file's normals point along cross(c - a, b - a) of a face's
  // stored corners a, b, c, -1 when against.
  double Facing = 1;
};

bool UsableFace(const TModelMesh& Mesh, const TFace& Face) {
  if (Face.Count < 3 || Face.First < 0) return false;
  if (int64_t(Face.First) + Face.Count > int64_t(Mesh.FaceVertices.size())) return false;
  for (int32_t I = Face.First; I < Face.First + Face.Count; ++I) {
    const int32_t V = Mesh.FaceVertices[size_t(I)].Vertex;
    if (V < 0 || size_t(V) >= Mesh.Vertices.size() || !Finite(Mesh.Vertices[size_t(V)])) return false;
  }
  return true;
}

TWedgeMesh BuildWedges(const TModelMesh& Mesh) {
  TWedgeMesh Result;
  std::unordered_map<TWords<3>, int32_t, THashWords<3>> PlaceOf;
  std::unordered_map<TMaterial, int32_t, THashWords<4>> MaterialOf;
  std::unordered_map<TWedge, uint32_t, THashWords<5>> WedgeOf;
  std::vector<int32_t> VertexPlace(Mesh.Vertices.size(), -1);
  double Facing = 0;
  std::vector<uint32_t> Ring;
  for (const TFace& Face : Mesh.Faces) {
    if (!UsableFace(Mesh, Face)) continue;
    const TMaterial Material{{Bits(Face.Texture), Bits(Face.Reserved1), Bits(Face.Reserved2), Bits(Face.Reserved3)}};
    const auto [M, NewMaterial] = MaterialOf.try_emplace(Material, int32_t(Result.Materials.size()));
    if (NewMaterial) Result.Materials.push_back(Material);
    const bool Textured = NamesTexture(Face.Texture);
    Ring.clear();
    for (int32_t I = Face.First; I < Face.First + Face.Count; ++I) {
      const TFaceVertex& Corner = Mesh.FaceVertices[size_t(I)];
      int32_t& Place = VertexPlace[size_t(Corner.Vertex)];
      if (Place < 0) {
        const TVector& P = Mesh.Vertices[size_t(Corner.Vertex)];
        const auto [It, New] =
            PlaceOf.try_emplace(TWords<3>{{Bits(P.X), Bits(P.Y), Bits(P.Z)}}, int32_t(Result.Places.size()));
        if (New) Result.Places.push_back(P);
        Place = It->second;
      }
      // A face without a texture shows no coordinates: its corners are not
      // held apart by them.
      const TWedge Key{{uint32_t(Place), uint32_t(M->second), Textured ? Bits(Corner.S) : 0u,
                        Textured ? Bits(Corner.T) : 0u, Bits(Corner.Reserved)}};
      const auto [W, NewWedge] = WedgeOf.try_emplace(Key, uint32_t(Result.WedgePlace.size()));
      if (NewWedge) {
        const TVector& P = Result.Places[size_t(Place)];
        Result.Positions.insert(Result.Positions.end(), {P.X, P.Y, P.Z});
        Result.WedgePlace.push_back(Place);
        Result.Corners.push_back(Corner);
        Result.WedgeMaterial.push_back(M->second);
      }
      Ring.push_back(W->second);
    }
    // A fan over the stored corners, stored order kept in every triangle.
    for (size_t I = 1; I + 1 < Ring.size(); ++I) {
      const uint32_t A = Ring[0], B = Ring[I], C = Ring[I + 1];
      const int32_t PA = Result.WedgePlace[A], PB = Result.WedgePlace[B], PC = Result.WedgePlace[C];
      if (PA == PB || PB == PC || PA == PC) continue;
      Result.Triangles.insert(Result.Triangles.end(), {A, B, C});
      if (I == 1 && Face.Normal >= 0 && size_t(Face.Normal) < Mesh.Normals.size()) {
        const TVector& N = Mesh.Normals[size_t(Face.Normal)];
        const TDouble3 W = Cross(Sub(Result.Places[size_t(PC)], Result.Places[size_t(PA)]),
                                 Sub(Result.Places[size_t(PB)], Result.Places[size_t(PA)]));
        const double D = Dot(W, {N.X, N.Y, N.Z});
        if (std::isfinite(D)) Facing += D > 0 ? 1 : D < 0 ? -1 : 0;
      }
    }
  }
  Result.Facing = Facing < 0 ? -1 : 1;
  return Result;
}

// Corners of one face, as wedges in stored order.
using TLoop = std::vector<uint32_t>;

// The simplifier's triangles, joined into convex polygons where neighbours
// lie in one plane and share their edge's corners whole (the same place,
// material and texture coordinates): a level is counted in faces, and a
// face of the finest level that the simplifier left alone comes back as the
// one face it was. Triangles without an area are left out.
class TPolygonJoiner {
public:
  TPolygonJoiner(const TWedgeMesh& Wedges, const std::vector<uint32_t>& Triangles)
      : FWedges(Wedges), FTriangles(Triangles), FUsed(Triangles.size() / 3, false) {
    FNormals.resize(FUsed.size());
    for (size_t T = 0; T < FUsed.size(); ++T) {
      const TDouble3 W = Cross(Sub(Place(Triangles[T * 3 + 2]), Place(Triangles[T * 3])),
                               Sub(Place(Triangles[T * 3 + 1]), Place(Triangles[T * 3])));
      const double Length = std::sqrt(Dot(W, W));
      if (!(Length > 0) || !std::isfinite(Length)) {
        FUsed[T] = true;
        continue;
      }
      FNormals[T] = {W.X / Length, W.Y / Length, W.Z / Length};
      for (int E = 0; E < 3; ++E) FEdges.emplace(Edge(Triangles[T * 3 + E], Triangles[T * 3 + (E + 1) % 3]), T);
    }
  }

  // Every polygon with the triangle it grew from (for its normal and
  // material), in the triangles' order.
  template <class TVisit>
  void Join(TVisit&& Visit) {
    for (size_t T = 0; T < FUsed.size(); ++T) {
      if (FUsed[T]) continue;
      FUsed[T] = true;
      TLoop Loop{FTriangles[T * 3], FTriangles[T * 3 + 1], FTriangles[T * 3 + 2]};
      for (bool Grew = true; Grew;) {
        Grew = false;
        for (size_t I = 0; I < Loop.size() && !Grew; ++I) Grew = TryGrow(T, Loop, I);
      }
      Visit(T, Loop);
    }
  }

private:
  static uint64_t Edge(uint32_t From, uint32_t To) { return uint64_t(From) << 32 | To; }
  const TVector& Place(uint32_t Wedge) const { return FWedges.Places[size_t(FWedges.WedgePlace[Wedge])]; }

  // Joins the triangle across the loop's edge I (from corner I to the next)
  // when it is free, of the same material, in the same plane and leaves the
  // loop convex.
  bool TryGrow(size_t Seed, TLoop& Loop, size_t I) {
    const uint32_t A = Loop[I], B = Loop[(I + 1) % Loop.size()];
    const auto Found = FEdges.find(Edge(B, A));
    if (Found == FEdges.end() || FUsed[Found->second]) return false;
    const size_t T = Found->second;
    if (FWedges.WedgeMaterial[FTriangles[T * 3]] != FWedges.WedgeMaterial[FTriangles[Seed * 3]]) return false;
    if (Dot(FNormals[T], FNormals[Seed]) < 1 - 1e-9) return false;
    uint32_t Apex = 0;
    for (int E = 0; E < 3; ++E)
      if (FTriangles[T * 3 + E] != A && FTriangles[T * 3 + E] != B) Apex = FTriangles[T * 3 + E];
    TLoop Grown = Loop;
    Grown.insert(Grown.begin() + std::ptrdiff_t(I + 1), Apex);
    if (!Convex(Grown, FNormals[Seed])) return false;
    Loop = std::move(Grown);
    FUsed[T] = true;
    return true;
  }

  // Every corner turns the same way as the seed triangle's, none straight,
  // and no place comes twice.
  bool Convex(const TLoop& Loop, const TDouble3& Normal) const {
    const size_t N = Loop.size();
    for (size_t I = 0; I < N; ++I) {
      const TVector& P = Place(Loop[I]);
      const TVector& Q = Place(Loop[(I + 1) % N]);
      const TVector& R = Place(Loop[(I + 2) % N]);
      const TDouble3 Turn = Cross(Sub(R, P), Sub(Q, P));
      const double Length = std::sqrt(Dot(Turn, Turn));
      if (!(Dot(Turn, Normal) > 1e-6 * Length) || Length == 0) return false;
      for (size_t J = I + 1; J < N; ++J)
        if (FWedges.WedgePlace[Loop[I]] == FWedges.WedgePlace[Loop[J]]) return false;
    }
    return true;
  }

  const TWedgeMesh& FWedges;
  const std::vector<uint32_t>& FTriangles;
  std::vector<bool> FUsed;
  std::vector<TDouble3> FNormals;
  std::unordered_map<uint64_t, size_t> FEdges;
};

TModelMesh MeshOfTriangles(const TWedgeMesh& Wedges, const std::vector<uint32_t>& Triangles) {
  TModelMesh Mesh;
  std::vector<int32_t> NewPlace(Wedges.Places.size(), -1);
  TPolygonJoiner Joiner(Wedges, Triangles);
  Joiner.Join([&](size_t Seed, const TLoop& Loop) {
    const uint32_t* Corner = &Triangles[Seed * 3];
    const TDouble3 W = Cross(
        Sub(Wedges.Places[size_t(Wedges.WedgePlace[Corner[2]])], Wedges.Places[size_t(Wedges.WedgePlace[Corner[0]])]),
        Sub(Wedges.Places[size_t(Wedges.WedgePlace[Corner[1]])], Wedges.Places[size_t(Wedges.WedgePlace[Corner[0]])]));
    const double Scale = Wedges.Facing / std::sqrt(Dot(W, W));
    const TMaterial& Material = Wedges.Materials[size_t(Wedges.WedgeMaterial[Corner[0]])];
    TFace Face;
    Face.Normal = int32_t(Mesh.Normals.size());
    Face.Texture = int32_t(Material.W[0]);
    Face.Reserved1 = int32_t(Material.W[1]);
    Face.Reserved2 = int32_t(Material.W[2]);
    Face.Reserved3 = int32_t(Material.W[3]);
    Face.First = int32_t(Mesh.FaceVertices.size());
    Face.Count = int32_t(Loop.size());
    Mesh.Normals.push_back({float(W.X * Scale), float(W.Y * Scale), float(W.Z * Scale)});
    Mesh.Faces.push_back(Face);
    for (uint32_t Wedge : Loop) {
      int32_t& Place = NewPlace[size_t(Wedges.WedgePlace[Wedge])];
      if (Place < 0) {
        Place = int32_t(Mesh.Vertices.size());
        Mesh.Vertices.push_back(Wedges.Places[size_t(Wedges.WedgePlace[Wedge])]);
      }
      TFaceVertex Out = Wedges.Corners[Wedge];
      Out.Vertex = Place;
      Mesh.FaceVertices.push_back(Out);
    }
  });
  return Mesh;
}

}  // namespace

int64_t LevelTarget(int64_t FacesBefore, double Ratio) {
  const double Target = std::floor(double(FacesBefore) * Ratio + 0.5);
  return Target < 1 ? 1 : int64_t(Target);
}

std::vector<TMadeLevel> MakeLevels(const TModelMesh& Finest, const TLevelOptions& Options) {
  if (Options.Levels < 1 || Options.Levels > MaxLevelCount)
    throw ELevelMaking("A model has 1 to " + std::to_string(MaxLevelCount) + " levels of detail, not " +
                       std::to_string(Options.Levels));
  if (!(Options.Ratio > 0 && Options.Ratio < 1))
    throw ELevelMaking("The ratio of faces from one level to the next lies between 0 and 1");
  std::vector<TMadeLevel> Levels;
  if (Options.Levels == 1) return Levels;
  const TWedgeMesh Wedges = BuildWedges(Finest);
  if (Wedges.Triangles.empty()) throw ELevelMaking("The finest level has no face to make levels from");

  std::vector<uint32_t> Simplified(Wedges.Triangles.size());
  int64_t Before = int64_t(Finest.Faces.size());
  for (int32_t Level = 1; Level < Options.Levels; ++Level) {
    TMadeLevel Made;
    Made.Target = LevelTarget(Before, Options.Ratio);
    const size_t TargetIndices = size_t(std::min<int64_t>(Made.Target, int64_t(Wedges.Triangles.size() / 3))) * 3;
    float Error = 0;
    const size_t Count = meshopt_simplify(Simplified.data(), Wedges.Triangles.data(), Wedges.Triangles.size(),
                                          Wedges.Positions.data(), Wedges.WedgePlace.size(), 3 * sizeof(float),
                                          TargetIndices, Options.ErrorLimit, meshopt_SimplifyLockBorder, &Error);
    Made.Mesh = MeshOfTriangles(Wedges, std::vector<uint32_t>(Simplified.begin(), Simplified.begin() + Count));
    Made.Error = Error;
    Before = int64_t(Made.Mesh.Faces.size());
    Levels.push_back(std::move(Made));
  }
  return Levels;
}
