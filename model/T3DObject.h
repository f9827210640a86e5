#pragma once
// T3DObject: a drawable object with one polygon mesh, its OpenGL display
// list, its drawing flags and its automatic fit scale. The mesh can leave
// memory after use (KeepData off) and is then read again from FileName the
// next time something needs it. TZorvObject knows the model file layout.
//
// Drawing is plain OpenGL 1.1 immediate mode and needs a current context.
// Loading and measuring need none: an object constructed with
// TDisplayListPolicy::None takes no display-list name (DisplayList stays 0)
// and so touches OpenGL only when asked to draw.
#include <cstdint>
#include <functional>
#include <string>

#include "model/MeshData.h"

enum class TDisplayListPolicy {
  Generate,  // take a name with glGenLists(1): a context must be current
  None,      // DisplayList 0: no OpenGL call at construction or destruction
};

// Sends one face of Mesh as one polygon, its corners last to first (the
// order that makes a face's front the side it is seen from), with the face's
// normal when Normal and each corner's texture coordinates when TexCoords.
void SendFacePolygon(const TMeshData& Mesh, const TFace& Face, bool Normal, bool TexCoords);

class T3DObject {
public:
  using TLogEvent = std::function<void(T3DObject& Sender, const std::string& Msg)>;

  explicit T3DObject(TDisplayListPolicy Policy = TDisplayListPolicy::Generate);
  // FreeData, then DeleteDisplayList.
  virtual ~T3DObject();
  T3DObject(const T3DObject&) = delete;
  T3DObject& operator=(const T3DObject&) = delete;

  // The virtual operations, in their slot order.
  virtual void Log(const std::string& Msg);     // to OnLog when one is set
  virtual void SetDisplayList(uint32_t Value);  // DeleteDisplayList, then Value
  virtual void SetKeepData(bool Value);         // False on a loaded mesh frees it at once
  virtual void SetTextured(bool Value);         // sets ListDirty
  virtual void SetUseList(bool Value);          // ListDirty untouched
  virtual void SetWireframe(bool Value);        // sets ListDirty
  // glDeleteLists when DisplayList is not 0, and ListDirty; the name stays.
  virtual void DeleteDisplayList();
  // glNewList(DisplayList, GL_COMPILE), DrawDirect, glEndList; ListDirty False.
  virtual void BuildDisplayList();
  // Loaded False; the four arrays released; the four counts 0.
  virtual void FreeData();
  // BuildDisplayList when ListDirty, then glCallList(DisplayList).
  virtual void DrawList();
  // The faces, last to first, corners last to first, one normal per face.
  virtual void DrawDirect();
  // Loads the mesh if needed, then copies UseList, Textured, Wireframe and
  // KeepData to Target in that order; then FreeData unless KeepData. The
  // mesh itself is not copied.
  virtual void AssignTo(T3DObject& Target);
  // Here: FreeData, ListDirty, remembers FileName, Loaded True.
  virtual void LoadFromFile(const std::string& FileName);
  virtual void SaveToFile(const std::string& FileName) = 0;
  // DrawList when UseList, else DrawDirect.
  virtual void Draw();
  // Every vertex as a point, last to first.
  virtual void DrawPoints();

  // Stores FitSize and sets ListDirty.
  void SetFitSize(float Value);

  // The measuring half of FitScale, with no OpenGL: measures the mesh in
  // memory (usable faces only, as MeasureMeshBounds), takes the largest
  // extent E and stores Scale = 2 / (E / Size), which it returns. A largest
  // extent of exactly 0 (every face on one point) gives Scale 1, so such a
  // mesh draws unscaled instead of failing at every paint; a mesh without
  // faces gives E = -10000 and a small negative Scale. Floating-point faults
  // (an extent or Scale beyond the float range, Size 0) raise the standard
  // errors. The window calls it right after loading so that the first paint
  // already knows Scale.
  float UpdateFitScale(float Size);
  // UpdateFitScale, then glScalef(Scale, Scale, Scale) on the current matrix,
  // not undone.
  void FitScale(float Size);
  // MeasureMeshBounds of the mesh in memory, measured once per mesh
  // (MeshVersion): the fit and every caller after it share one walk.
  void MeshBounds(TVector& Min, TVector& Max) const;
  // The OpenGL state the faces are drawn in, which drawing leaves behind:
  // outlines without depth test, culling or texture when Wireframe, else
  // filled with all three on; texturing on when Textured.
  void SetFaceState() const;

  uint32_t DisplayList() const { return FDisplayList; }
  bool ListDirty() const { return FListDirty; }
  const std::string& FileName() const { return FFileName; }
  const TMeshData& Mesh() const { return FMesh; }
  bool UseList() const { return FUseList; }
  bool Textured() const { return FTextured; }
  bool Wireframe() const { return FWireframe; }
  bool KeepData() const { return FKeepData; }
  float FitSize() const { return FFitSize; }
  float Scale() const { return FScale; }
  // Changes whenever the mesh arrays may have changed (every load, every
  // FreeData), and is never the same for two meshes of the process: what is
  // built from a mesh once (its outline's edges) is keyed on it.
  uint64_t MeshVersion() const { return FMeshVersion; }

  // Receives the loader's progress messages; unset by default.
  TLogEvent OnLog;

protected:
  // Steps 1 to 4 of DrawDirect: state, load when needed, fit scale, faces.
  // The final FreeData is left to the caller.
  void DrawFaces();
  // Loads from FileName when the mesh is not loaded.
  void EnsureLoaded();
  // FreeData when KeepData is off.
  void FreeDataUnlessKept();

  uint32_t FDisplayList = 0;
  bool FListDirty = true;
  std::string FFileName;
  TMeshData FMesh;
  bool FUseList = false;
  bool FTextured = false;
  bool FWireframe = false;
  bool FKeepData = false;
  float FFitSize = 0;
  float FScale = 0;
  uint64_t FMeshVersion = 0;

private:
  mutable uint64_t FBoundsVersion = 0;  // the MeshVersion FBounds were measured for; 0: none
  mutable TVector FBounds[2];
};
