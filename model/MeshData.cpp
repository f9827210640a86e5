#include "model/MeshData.h"

bool FaceIsUsable(const TMeshData& Mesh, const TFace& Face) {
  if (Face.Normal < 0 || Face.Normal >= Mesh.NormalCount) return false;
  if (Face.First < 0 || Face.Count < 0) return false;
  if (int64_t(Face.First) + int64_t(Face.Count) > int64_t(Mesh.FaceVertexCount)) return false;
  const TFaceVertex* Corner = Mesh.FaceVertices.Data() + Face.First;
  for (int32_t I = 0; I < Face.Count; ++I) {
    int32_t Vertex = Corner[I].Vertex;
    if (Vertex < 0 || Vertex >= Mesh.VertexCount) return false;
  }
  return true;
}

void MeasureMeshBounds(const TMeshData& Mesh, TVector& Min, TVector& Max) {
  Min = TVector{10000, 10000, 10000};
  Max = TVector{0, 0, 0};
  const TFace* Faces = Mesh.Faces.Data();
  const TFaceVertex* FaceVertices = Mesh.FaceVertices.Data();
  const TVector* Vertices = Mesh.Vertices.Data();
  for (int32_t F = 0; F < Mesh.FaceCount; ++F) {
    const TFace& Face = Faces[F];
    if (!FaceIsUsable(Mesh, Face)) continue;
    for (int32_t I = Face.First; I < Face.First + Face.Count; ++I) {
      const TVector& P = Vertices[FaceVertices[I].Vertex];
      if (P.X < Min.X) Min.X = P.X;
      if (P.Y < Min.Y) Min.Y = P.Y;
      if (P.Z < Min.Z) Min.Z = P.Z;
      if (P.X > Max.X) Max.X = P.X;
      if (P.Y > Max.Y) Max.Y = P.Y;
      if (P.Z > Max.Z) Max.Z = P.Z;
    }
  }
}
