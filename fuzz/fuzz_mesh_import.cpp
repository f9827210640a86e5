// Reads the input as `quelbir-cli import` reads a mesh, as glTF and as OBJ,
// and checks what comes back: only the readers' own errors, and every face
// of every level inside its arrays with finite numbers, as a new model file
// must be.
#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz/FuzzFile.h"
#include "interchange/GltfMeshes.h"
#include "interchange/ObjMeshes.h"
#include "runtime/Exception.h"

namespace {

void CheckLevels(TLevelBuilders& Levels, TImportMaterials& Materials) {
  std::ostringstream Notes;
  const std::vector<int32_t> Numbers = Materials.Number(std::nullopt, Notes);
  for (auto& Entry : Levels) {
    const TModelMesh Mesh = Entry.second.Number(Numbers);
    for (const TFace& Face : Mesh.Faces) {
      FUZZ_CHECK(Face.Normal >= 0 && size_t(Face.Normal) < Mesh.Normals.size());
      FUZZ_CHECK(Face.Count >= 3 && Face.First >= 0 &&
                 size_t(Face.First) + size_t(Face.Count) <= Mesh.FaceVertices.size());
    }
    for (const TFaceVertex& Corner : Mesh.FaceVertices) {
      FUZZ_CHECK(Corner.Vertex >= 0 && size_t(Corner.Vertex) < Mesh.Vertices.size());
      FUZZ_CHECK(std::isfinite(Corner.S) && std::isfinite(Corner.T));
    }
    for (const TVector& V : Mesh.Vertices) FUZZ_CHECK(std::isfinite(V.X) && std::isfinite(V.Y) && std::isfinite(V.Z));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static TFuzzFile File;
  const std::string& Name = File.Hold(Data, Size);
  std::ostringstream Notes;
  try {
    TImportMaterials Materials;
    TLevelBuilders Levels;
    ReadGltfMeshes(Name, std::nullopt, Materials, Levels, Notes);
    CheckLevels(Levels, Materials);
  } catch (const Exception&) {}
  try {
    TImportMaterials Materials;
    TLevelBuilders Levels;
    ReadObjMeshes(Name, std::nullopt, Materials, Levels, Notes);
    CheckLevels(Levels, Materials);
  } catch (const Exception&) {}
  return 0;
}
