#include "check/FaceCheck.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double SphereTolerance = 1e-4;  // of the radius
constexpr double LineTolerance = 1e-6;    // sine of the angle off the line

// Whether every corner of a face lies on one line through its first
// corner, within a small angle; a face with a corner that is not finite
// is not judged.
bool OnOneLine(const TMeshData& Mesh, const TFace& Face) {
  const TFaceVertex* Corners = Mesh.FaceVertices.Data() + Face.First;
  const TVector& P0 = Mesh.Vertices[size_t(Corners[0].Vertex)];
  if (!Finite(P0)) return false;
  double D[3] = {0, 0, 0};
  double DLength2 = 0;
  for (int32_t I = 1; I < Face.Count; ++I) {
    const TVector& P = Mesh.Vertices[size_t(Corners[I].Vertex)];
    if (!Finite(P)) return false;
    const double E[3] = {double(P.X) - P0.X, double(P.Y) - P0.Y, double(P.Z) - P0.Z};
    const double ELength2 = E[0] * E[0] + E[1] * E[1] + E[2] * E[2];
    if (ELength2 == 0) continue;
    if (DLength2 == 0) {
      std::copy(E, E + 3, D);
      DLength2 = ELength2;
      continue;
    }
    const double C[3] = {E[1] * D[2] - E[2] * D[1], E[2] * D[0] - E[0] * D[2], E[0] * D[1] - E[1] * D[0]};
    const double CLength2 = C[0] * C[0] + C[1] * C[1] + C[2] * C[2];
    // |E x D| = |E| |D| sin(angle)
    if (CLength2 > LineTolerance * LineTolerance * ELength2 * DLength2) return false;
  }
  return true;
}

// Covered: for each face-vertex, how many usable faces cover it, as
// differences from the one before.
void CheckEnclosing(const TMeshData& Mesh, const std::vector<int32_t>& Covered, const std::optional<std::string>& Level,
                    int64_t VertOffset, const TDrawnSphere& Sphere, TFindings& Findings) {
  std::vector<uint8_t> Used(size_t(Mesh.VertexCount), 0);
  int64_t Depth = 0;
  for (int32_t I = 0; I < Mesh.FaceVertexCount; ++I) {
    Depth += Covered[size_t(I)];
    if (Depth > 0) Used[size_t(Mesh.FaceVertices[size_t(I)].Vertex)] = 1;
  }
  const double R = Sphere.Radius;
  const double Limit = R + SphereTolerance * R;
  int64_t Outside = 0;
  int32_t Farthest = -1;
  double FarthestDistance = 0;
  for (int32_t V = 0; V < Mesh.VertexCount; ++V) {
    const TVector& P = Mesh.Vertices[size_t(V)];
    if (!Used[size_t(V)] || !Finite(P)) continue;
    const double DX = double(P.X) - Sphere.Center.X, DY = double(P.Y) - Sphere.Center.Y,
                 DZ = double(P.Z) - Sphere.Center.Z;
    const double Distance = std::sqrt(DX * DX + DY * DY + DZ * DZ);
    if (Distance <= Limit) continue;
    ++Outside;
    if (Distance > FarthestDistance) {
      FarthestDistance = Distance;
      Farthest = V;
    }
  }
  if (Outside)
    Findings.Add(TCheckCodeId::SphereNotEnclosing,
                 "vertex " + std::to_string(Farthest) + " lies " + Number(FarthestDistance - R) +
                     " outside the collision sphere of radius " + Number(R) + " (" + std::to_string(Outside) +
                     (Outside == 1 ? " vertex" : " vertices") + " outside)",
                 Level, Farthest, VertOffset);
}

}  // namespace

void CheckFaces(const TMeshData& Mesh, const std::optional<std::string>& Level, const TMeshPlaces& Places,
                const std::optional<TDrawnSphere>& Sphere, TFindings& Findings) {
  const int32_t FaceVertexCount = Mesh.FaceVertexCount;
  // For each face-vertex, the first one at or after it whose vertex lies
  // outside the vertices: a face's corners are then checked at once,
  // however long or often repeated its run.
  std::vector<int32_t> NextBad(size_t(FaceVertexCount) + 1, FaceVertexCount);
  for (int32_t I = FaceVertexCount - 1; I >= 0; --I) {
    const int32_t V = Mesh.FaceVertices[size_t(I)].Vertex;
    NextBad[size_t(I)] = (V < 0 || V >= Mesh.VertexCount) ? I : NextBad[size_t(I) + 1];
  }
  // How many usable faces cover each face-vertex, as differences.
  std::vector<int32_t> Covered(size_t(FaceVertexCount) + 1, 0);
  int64_t Budget = 16 * int64_t(FaceVertexCount) + 4096;
  int64_t Unexamined = 0;
  {
    TCapped OutOfRange(Findings, TCheckCodeId::IndexOutOfRange, Level, Places.Faces,
                       "faces with indices outside their arrays");
    TCapped Degenerate(Findings, TCheckCodeId::DegenerateFace, Level, Places.Faces, "degenerate faces");
    for (int32_t F = 0; F < Mesh.FaceCount; ++F) {
      const TFace& Face = Mesh.Faces[size_t(F)];
      const std::string Name = "face " + std::to_string(F);
      if (Face.Normal < 0 || Face.Normal >= Mesh.NormalCount) {
        OutOfRange.Add(F, [&] {
          return Name + ": normal " + std::to_string(Face.Normal) + " lies outside the " +
                 std::to_string(Mesh.NormalCount) + " normals";
        });
        continue;
      }
      const int64_t End = int64_t(Face.First) + int64_t(Face.Count);
      if (Face.First < 0 || Face.Count < 0 || End > FaceVertexCount) {
        OutOfRange.Add(F, [&] {
          return Name + ": its " + std::to_string(Face.Count) + " corners from face-vertex " +
                 std::to_string(Face.First) + " lie outside the " + std::to_string(FaceVertexCount) + " face-vertices";
        });
        continue;
      }
      const int32_t Bad = NextBad[size_t(Face.First)];
      if (Bad < End) {
        OutOfRange.Add(F, [&] {
          return Name + ": face-vertex " + std::to_string(Bad) + " names vertex " +
                 std::to_string(Mesh.FaceVertices[size_t(Bad)].Vertex) + ", outside the " +
                 std::to_string(Mesh.VertexCount) + " vertices";
        });
        continue;
      }
      ++Covered[size_t(Face.First)];
      --Covered[size_t(End)];
      if (Face.Count < 3) {
        Degenerate.Add(F, [&] { return Name + " has " + std::to_string(Face.Count) + " corners"; });
      } else if (Budget < Face.Count) {
        ++Unexamined;
      } else {
        Budget -= Face.Count;
        if (OnOneLine(Mesh, Face))
          Degenerate.Add(F, [&] { return Name + ": its " + std::to_string(Face.Count) + " corners lie on one line"; });
      }
    }
    OutOfRange.Finish();
    Degenerate.Finish();
  }
  if (Unexamined)
    Findings.Add(TCheckCodeId::CheckLimited,
                 std::to_string(Unexamined) +
                     " faces were not tested for degeneracy: their corner runs overlap beyond the work bound",
                 Level, std::nullopt, Places.Faces);
  if (Sphere) CheckEnclosing(Mesh, Covered, Level, Places.Vertices, *Sphere, Findings);
}
