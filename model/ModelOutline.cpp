#include "model/ModelOutline.h"

#include <GL/gl.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "model/TZorvObject.h"

namespace {

// An open-addressing table with room for at least twice Count keys.
size_t TableSize(size_t Count) { return std::bit_ceil(std::max<size_t>(16, Count * 2)); }

uint64_t Mix(uint64_t Key) {
  Key ^= Key >> 33;
  Key *= 0xff51afd7ed558ccdULL;
  Key ^= Key >> 33;
  Key *= 0xc4ceb9fe1a85ec53ULL;
  return Key ^ (Key >> 33);
}

// For each vertex, the first vertex at the same place (bit for bit).
std::vector<uint32_t> SamePlaceVertices(const TMeshData& Mesh) {
  const size_t Count = size_t(Mesh.VertexCount);
  std::vector<uint32_t> First(Count);
  const size_t Size = TableSize(Count), Mask = Size - 1;
  constexpr uint32_t Empty = UINT32_MAX;
  std::vector<uint32_t> Table(Size, Empty);
  const TVector* Vertices = Mesh.Vertices.Data();
  for (size_t V = 0; V < Count; ++V) {
    uint32_t Bits[3];
    std::memcpy(Bits, &Vertices[V], sizeof Bits);
    size_t Slot = Mix((uint64_t(Bits[0]) << 32 | Bits[1]) ^ Mix(Bits[2])) & Mask;
    while (true) {
      const uint32_t Held = Table[Slot];
      if (Held == Empty) {
        Table[Slot] = uint32_t(V);
        First[V] = uint32_t(V);
        break;
      }
      if (std::memcmp(&Vertices[Held], &Vertices[V], sizeof(TVector)) == 0) {
        First[V] = Held;
        break;
      }
      Slot = (Slot + 1) & Mask;
    }
  }
  return First;
}

// Draws at most this many indices per call, well inside GLsizei.
constexpr size_t DrawBatch = size_t(1) << 24;

}  // namespace

std::vector<uint32_t> EveryOutlineEdge(const TMeshData& Mesh) {
  const TFaceVertex* FaceVertices = Mesh.FaceVertices.Data();
  const TFace* Faces = Mesh.Faces.Data();
  size_t Corners = 0;
  for (int32_t F = 0; F < Mesh.FaceCount; ++F)
    if (Faces[F].Count >= 3 && FaceIsUsable(Mesh, Faces[F])) Corners += size_t(Faces[F].Count);
  std::vector<uint32_t> Indices;
  Indices.reserve(2 * Corners);
  for (int32_t F = Mesh.FaceCount - 1; F >= 0; --F) {
    const TFace& Face = Faces[F];
    if (Face.Count < 3 || !FaceIsUsable(Mesh, Face)) continue;
    const int32_t Last = Face.First + Face.Count - 1;
    for (int32_t I = Last; I > Face.First; --I)
      Indices.insert(Indices.end(), {uint32_t(FaceVertices[I].Vertex), uint32_t(FaceVertices[I - 1].Vertex)});
    Indices.insert(Indices.end(), {uint32_t(FaceVertices[Face.First].Vertex), uint32_t(FaceVertices[Last].Vertex)});
  }
  return Indices;
}

std::vector<uint32_t> OutlineEdges(const TMeshData& Mesh) {
  const std::vector<uint32_t> Place = SamePlaceVertices(Mesh);
  const TFaceVertex* FaceVertices = Mesh.FaceVertices.Data();
  const TFace* Faces = Mesh.Faces.Data();
  size_t Corners = 0;
  for (int32_t F = 0; F < Mesh.FaceCount; ++F)
    if (Faces[F].Count >= 3 && FaceIsUsable(Mesh, Faces[F])) Corners += size_t(Faces[F].Count);

  // The edges met so far, by their two places in order.
  const size_t Size = TableSize(Corners), Mask = Size - 1;
  constexpr uint64_t Empty = UINT64_MAX;
  std::vector<uint64_t> Seen(Size, Empty);
  std::vector<uint32_t> Indices;
  auto Add = [&](uint32_t From, uint32_t To) {
    const uint64_t Key = uint64_t(From) << 32 | To;
    size_t Slot = Mix(Key) & Mask;
    while (Seen[Slot] != Empty) {
      if (Seen[Slot] == Key) return;
      Slot = (Slot + 1) & Mask;
    }
    Seen[Slot] = Key;
    Indices.push_back(From);
    Indices.push_back(To);
  };
  for (int32_t F = Mesh.FaceCount - 1; F >= 0; --F) {
    const TFace& Face = Faces[F];
    if (Face.Count < 3 || !FaceIsUsable(Mesh, Face)) continue;
    // The polygon receives the corners last to first and outlines each
    // corner to the next it received, the last back to the first.
    const int32_t Last = Face.First + Face.Count - 1;
    for (int32_t I = Last; I > Face.First; --I)
      Add(Place[size_t(FaceVertices[I].Vertex)], Place[size_t(FaceVertices[I - 1].Vertex)]);
    Add(Place[size_t(FaceVertices[Face.First].Vertex)], Place[size_t(FaceVertices[Last].Vertex)]);
  }
  return Indices;
}

std::vector<uint32_t> LighterEdges(const TMeshData& Mesh, const std::vector<uint32_t>& Edges, size_t Budget) {
  const size_t Count = Edges.size() / 2;
  if (Count <= Budget) return Edges;
  // Each edge once, whichever way the faces draw it; an edge only one way
  // round lies on the border of the surface.
  const size_t Size = TableSize(Count), Mask = Size - 1;
  constexpr uint64_t Empty = UINT64_MAX;
  std::vector<uint64_t> Seen(Size, Empty);
  std::vector<uint8_t> Ways(Count, 0);     // per first listing: 1 one way, 2 both
  std::vector<uint32_t> FirstOf(Size, 0);  // the listing a slot holds
  std::vector<uint32_t> Unique;
  Unique.reserve(Count);
  for (size_t E = 0; E < Count; ++E) {
    const uint32_t A = Edges[2 * E], B = Edges[2 * E + 1];
    const uint64_t Key = uint64_t(std::min(A, B)) << 32 | std::max(A, B);
    size_t Slot = Mix(Key) & Mask;
    while (Seen[Slot] != Empty && Seen[Slot] != Key) Slot = (Slot + 1) & Mask;
    if (Seen[Slot] == Empty) {
      Seen[Slot] = Key;
      FirstOf[Slot] = uint32_t(E);
      Ways[E] = 1;
      Unique.push_back(uint32_t(E));
    } else {
      Ways[FirstOf[Slot]] = 2;
    }
  }
  // The border first, then the longest of the others; among equals an even
  // spread over the mesh rather than the first ones listed.
  const TVector* Vertices = Mesh.Vertices.Data();
  auto Length = [&](uint32_t E) {
    const TVector &P = Vertices[Edges[2 * size_t(E)]], &Q = Vertices[Edges[2 * size_t(E) + 1]];
    const double X = double(P.X) - Q.X, Y = double(P.Y) - Q.Y, Z = double(P.Z) - Q.Z;
    return X * X + Y * Y + Z * Z;
  };
  struct TRank {
    double Key;       // -infinity on the border, else minus the squared length
    uint64_t Spread;  // among equal keys: the place in a stride-wise walk
    uint32_t Edge;
    bool operator<(const TRank& Other) const { return Key < Other.Key || (Key == Other.Key && Spread < Other.Spread); }
  };
  std::vector<TRank> Ranked;
  Ranked.reserve(Unique.size());
  const size_t Stride = Unique.size() / std::max<size_t>(Budget, 1) + 1;
  for (size_t I = 0; I < Unique.size(); ++I) {
    const uint32_t E = Unique[I];
    const double Squared = Length(E);
    Ranked.push_back({Ways[E] == 1         ? -INFINITY
                      : Squared == Squared ? -Squared
                                           : 0,  // NaN ranks last
                      uint64_t(I % Stride) << 32 | (I / Stride), E});
  }
  const size_t Kept = std::min(Budget, Ranked.size());
  std::nth_element(Ranked.begin(), Ranked.begin() + ptrdiff_t(Kept), Ranked.end());
  std::vector<uint32_t> Chosen;
  for (size_t I = 0; I < Kept; ++I) Chosen.push_back(Ranked[I].Edge);
  std::sort(Chosen.begin(), Chosen.end());  // drawn in the order the faces list them
  std::vector<uint32_t> Lighter;
  Lighter.reserve(2 * Chosen.size());
  for (uint32_t E : Chosen) Lighter.insert(Lighter.end(), {Edges[2 * size_t(E)], Edges[2 * size_t(E) + 1]});
  return Lighter;
}

bool TModelOutline::Applies(const TZorvObject& Model) {
  return Model.Wireframe() && !Model.Textured() && !Model.UseList() && Model.KeepData() && Model.Mesh().Loaded;
}

void TModelOutline::Build(const TZorvObject& Model) {
  if (FMeshVersion == Model.MeshVersion()) return;
  FIndices = FEdges == TOutlineEdges::OncePerDirection ? OutlineEdges(Model.Mesh()) : EveryOutlineEdge(Model.Mesh());
  FLighter.clear();
  FLighterBuilt = false;
  FMeshVersion = Model.MeshVersion();
}

bool TModelOutline::HasLighter(const TZorvObject& Model) {
  if (!Applies(Model)) return false;
  Build(Model);
  return EdgeCount() > LighterEdgeBudget;
}

void TModelOutline::DrawMesh(TZorvObject& Model, bool Lighter) {
  if (!Applies(Model)) return;
  Model.SetFaceState();
  if (Model.FitSize() != 0) Model.FitScale(Model.FitSize());
  Build(Model);
  if (Lighter && !FLighterBuilt) {
    FLighter = LighterEdges(Model.Mesh(), FIndices, LighterEdgeBudget);
    FLighterBuilt = true;
  }
  const std::vector<uint32_t>& Indices = Lighter ? FLighter : FIndices;
  if (Indices.empty()) return;
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, sizeof(TVector), Model.Mesh().Vertices.Data());
  for (size_t Start = 0; Start < Indices.size(); Start += DrawBatch)
    glDrawElements(GL_LINES, GLsizei(std::min(DrawBatch, Indices.size() - Start)), GL_UNSIGNED_INT,
                   Indices.data() + Start);
  glDisableClientState(GL_VERTEX_ARRAY);
}

void TModelOutline::Draw(TZorvObject& Model, bool Lighter) {
  if (!Applies(Model)) {
    Model.Draw();
    return;
  }
  DrawMesh(Model, Lighter);
}
