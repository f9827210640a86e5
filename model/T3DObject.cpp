#include "model/T3DObject.h"

#include <GL/gl.h>

#include "model/ZorvTextures.h"
#include "runtime/FloatErrors.h"

namespace {

uint64_t NewMeshVersion() {
  static uint64_t Last = 0;
  return ++Last;
}

}  // namespace

T3DObject::T3DObject(TDisplayListPolicy Policy) {
  if (Policy == TDisplayListPolicy::Generate) FDisplayList = glGenLists(1);
}

T3DObject::~T3DObject() {
  T3DObject::FreeData();
  T3DObject::DeleteDisplayList();
}

void T3DObject::Log(const std::string& Msg) {
  if (OnLog) OnLog(*this, Msg);
}

void T3DObject::SetDisplayList(uint32_t Value) {
  DeleteDisplayList();
  FDisplayList = Value;
}

void T3DObject::SetKeepData(bool Value) {
  FKeepData = Value;
  if (!Value && FMesh.Loaded) FreeData();
}

void T3DObject::SetTextured(bool Value) {
  FTextured = Value;
  FListDirty = true;
}

void T3DObject::SetUseList(bool Value) { FUseList = Value; }

void T3DObject::SetWireframe(bool Value) {
  FWireframe = Value;
  FListDirty = true;
}

void T3DObject::SetFitSize(float Value) {
  FFitSize = Value;
  FListDirty = true;
}

void T3DObject::DeleteDisplayList() {
  if (FDisplayList == 0) return;
  glDeleteLists(FDisplayList, 1);
  FListDirty = true;
}

void T3DObject::BuildDisplayList() {
  glNewList(FDisplayList, GL_COMPILE);
  try {
    DrawDirect();
  } catch (...) {
    // A load that fails inside the list must not leave OpenGL compiling.
    glEndList();
    throw;
  }
  glEndList();
  FListDirty = false;
}

void T3DObject::FreeData() {
  FMeshVersion = NewMeshVersion();
  FMesh.Loaded = false;
  FMesh.Vertices.Release();
  FMesh.Normals.Release();
  FMesh.FaceVertices.Release();
  FMesh.Faces.Release();
  // Every count goes with its array, so no count outlives the records it
  // counts (a later load that fails before reading an array leaves it at 0).
  FMesh.VertexCount = 0;
  FMesh.NormalCount = 0;
  FMesh.FaceVertexCount = 0;
  FMesh.FaceCount = 0;
}

void T3DObject::DrawList() {
  if (FListDirty) BuildDisplayList();
  glCallList(FDisplayList);
}

void T3DObject::DrawDirect() {
  DrawFaces();
  FreeDataUnlessKept();
}

void T3DObject::AssignTo(T3DObject& Target) {
  EnsureLoaded();
  Target.SetUseList(FUseList);
  Target.SetTextured(FTextured);
  Target.SetWireframe(FWireframe);
  Target.SetKeepData(FKeepData);
  FreeDataUnlessKept();
}

void T3DObject::LoadFromFile(const std::string& FileName) {
  FreeData();
  FMeshVersion = NewMeshVersion();
  FListDirty = true;
  FFileName = FileName;
  FMesh.Loaded = true;
}

void T3DObject::Draw() {
  if (FUseList)
    DrawList();
  else
    DrawDirect();
}

void T3DObject::DrawPoints() {
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  EnsureLoaded();
  if (FFitSize != 0) FitScale(FFitSize);
  const TVector* Vertices = FMesh.Vertices.Data();
  for (int32_t I = FMesh.VertexCount - 1; I >= 0; --I) {
    glBegin(GL_POINTS);
    glVertex3f(Vertices[I].X, Vertices[I].Y, Vertices[I].Z);
    glEnd();
  }
  FreeDataUnlessKept();
}

void T3DObject::MeshBounds(TVector& Min, TVector& Max) const {
  if (FBoundsVersion != FMeshVersion || FMeshVersion == 0) {
    MeasureMeshBounds(FMesh, FBounds[0], FBounds[1]);
    FBoundsVersion = FMeshVersion;
  }
  Min = FBounds[0];
  Max = FBounds[1];
}

float T3DObject::UpdateFitScale(float Size) {
  TVector Min, Max;
  MeshBounds(Min, Max);
  float E = ToSingle(double(Max.X) - double(Min.X));
  float EY = ToSingle(double(Max.Y) - double(Min.Y));
  float EZ = ToSingle(double(Max.Z) - double(Min.Z));
  if (EY > E) E = EY;
  if (EZ > E) E = EZ;
  if (E == 0)
    FScale = 1;
  else
    FScale = ToSingle(FloatDivide(2, FloatDivide(E, Size)));
  return FScale;
}

void T3DObject::FitScale(float Size) {
  UpdateFitScale(Size);
  glScalef(FScale, FScale, FScale);
}

void T3DObject::SetFaceState() const {
  if (FWireframe) {
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
  } else {
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
  }
  if (FTextured) glEnable(GL_TEXTURE_2D);
}

void T3DObject::DrawFaces() {
  SetFaceState();
  EnsureLoaded();
  if (FFitSize != 0) FitScale(FFitSize);

  const TFace* Faces = FMesh.Faces.Data();
  for (int32_t F = FMesh.FaceCount - 1; F >= 0; --F) {
    const TFace& Face = Faces[F];
    if (!FaceIsUsable(FMesh, Face)) continue;
    if (FTextured) TextureList.GetTexture(Face.Texture);
    SendFacePolygon(FMesh, Face, true, FTextured);
  }
}

void SendFacePolygon(const TMeshData& Mesh, const TFace& Face, bool Normal, bool TexCoords) {
  const TVector* Vertices = Mesh.Vertices.Data();
  const TFaceVertex* FaceVertices = Mesh.FaceVertices.Data();
  glBegin(GL_POLYGON);
  if (Normal) {
    const TVector& N = Mesh.Normals.Data()[Face.Normal];
    glNormal3f(N.X, N.Y, N.Z);
  }
  for (int32_t I = Face.First + Face.Count - 1; I >= Face.First; --I) {
    const TFaceVertex& Corner = FaceVertices[I];
    if (TexCoords) glTexCoord2f(Corner.S, Corner.T);
    const TVector& P = Vertices[Corner.Vertex];
    glVertex3f(P.X, P.Y, P.Z);
  }
  glEnd();
}

void T3DObject::EnsureLoaded() {
  if (!FMesh.Loaded) LoadFromFile(FFileName);
}

void T3DObject::FreeDataUnlessKept() {
  if (!FKeepData) FreeData();
}
