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

int64_t CornerWork(const TMeshData& Mesh) {
  int64_t Work = 0;
  const TFace* Faces = Mesh.Faces.Data();
  for (int32_t F = 0; F < Mesh.FaceCount; ++F) {
    const TFace& Face = Faces[F];
    if (Face.Normal >= 0 && Face.Normal < Mesh.NormalCount && Face.First >= 0 && Face.Count >= 0 &&
        int64_t(Face.First) + int64_t(Face.Count) <= int64_t(Mesh.FaceVertexCount))
      Work += Face.Count;
  }
  return Work;
}

int64_t CornerRoom(const TMeshData& Mesh) {
  const size_t Bytes = Mesh.Vertices.Bytes() + Mesh.Normals.Bytes() + Mesh.FaceVertices.Bytes() + Mesh.Faces.Bytes();
  return int64_t(Bytes / sizeof(TFaceVertex));
}

void MeasureMeshBounds(const TMeshData& Mesh, TVector& Min, TVector& Max) {
  Min = TVector{10000, 10000, 10000};
  Max = TVector{0, 0, 0};
  const TFace* Faces = Mesh.Faces.Data();
  const TFaceVertex* FaceVertices = Mesh.FaceVertices.Data();
  const TVector* Vertices = Mesh.Vertices.Data();
  // One walk over each face's corners checks their vertices and measures
  // them; the face's share is kept only when all of them were usable, so the
  // result is that of checking the face with FaceIsUsable first.
  for (int32_t F = 0; F < Mesh.FaceCount; ++F) {
    const TFace& Face = Faces[F];
    if (Face.Normal < 0 || Face.Normal >= Mesh.NormalCount || Face.First < 0 || Face.Count < 0 ||
        int64_t(Face.First) + int64_t(Face.Count) > int64_t(Mesh.FaceVertexCount))
      continue;
    TVector FaceMin = Min, FaceMax = Max;
    bool Usable = true;
    for (int32_t I = Face.First; I < Face.First + Face.Count; ++I) {
      const int32_t Vertex = FaceVertices[I].Vertex;
      if (Vertex < 0 || Vertex >= Mesh.VertexCount) {
        Usable = false;
        break;
      }
      const TVector& P = Vertices[Vertex];
      if (P.X < FaceMin.X) FaceMin.X = P.X;
      if (P.Y < FaceMin.Y) FaceMin.Y = P.Y;
      if (P.Z < FaceMin.Z) FaceMin.Z = P.Z;
      if (P.X > FaceMax.X) FaceMax.X = P.X;
      if (P.Y > FaceMax.Y) FaceMax.Y = P.Y;
      if (P.Z > FaceMax.Z) FaceMax.Z = P.Z;
    }
    if (!Usable) continue;
    Min = FaceMin;
    Max = FaceMax;
  }
}
