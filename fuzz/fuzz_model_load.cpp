// Loads the input as a model file of either shape, without OpenGL, at every
// level of detail the file holds (and one past, and a negative one), and
// measures each mesh: counts must match the arrays, every face that is used
// must lie inside them, hardpoints must be whole or absent.
#include <cstdint>
#include <string>

#include "fuzz/FuzzFile.h"
#include "iff/IffReader.h"
#include "model/TZorvObject.h"

namespace {

void CheckLoaded(TZorvObject& Model) {
  const TMeshData& Mesh = Model.Mesh();
  FUZZ_CHECK(size_t(Mesh.VertexCount) <= Mesh.Vertices.WholeRecords());
  FUZZ_CHECK(size_t(Mesh.NormalCount) <= Mesh.Normals.WholeRecords());
  FUZZ_CHECK(size_t(Mesh.FaceVertexCount) <= Mesh.FaceVertices.WholeRecords());
  FUZZ_CHECK(size_t(Mesh.FaceCount) <= Mesh.Faces.WholeRecords());
  int64_t Corners = 0;
  for (int32_t F = 0; F < Mesh.FaceCount; ++F)
    if (FaceIsUsable(Mesh, Mesh.Faces[size_t(F)])) Corners += Mesh.Faces[size_t(F)].Count;
  FUZZ_CHECK(Corners >= 0);

  TVector Min, Max, Size;
  Model.GetBounds(Min, Max);
  try {
    Model.GetSize(Size);
    float Largest = 0;
    Model.GetMaxSize(Largest);
    Model.UpdateFitScale(0.4f);
  } catch (const Exception&) {
    // Extents beyond the float range raise the standard float errors.
  }
  for (int32_t I = -1; I <= Model.HardpointCount(); ++I) {
    THardpoint* Hardpoint = Model.GetHardpoint(I);
    if (I < 0 || I == Model.HardpointCount()) FUZZ_CHECK(Hardpoint == nullptr);
    if (Hardpoint) FUZZ_CHECK(Hardpoint->Matrix[3] == 0 && Hardpoint->Matrix[15] == 1);
  }
}

// The number of levels a level-of-detail file holds, or 1.
int32_t LevelCount(const std::string& Name) {
  try {
    TIffReader Reader(Name, true);
    if (Reader.CurrentTag() == TIffTag("MESH")) return 1;
    Reader.OpenForm(TIffTag("MESH"));
    return Reader.FormCount();
  } catch (const Exception&) {
    return 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static TFuzzFile File;
  const std::string& Name = File.Hold(Data, Size);
  TZorvObject Model(TDisplayListPolicy::None);
  Model.SetKeepData(true);
  try {
    Model.LoadFromFile(Name);
  } catch (const Exception&) {}
  CheckLoaded(Model);
  const int32_t Levels = LevelCount(Name);
  for (int32_t Level = -1; Level <= Levels && Level < 64; ++Level) {
    try {
      Model.SetLOD(Level);
    } catch (const Exception&) {}
    CheckLoaded(Model);
  }
  return 0;
}
