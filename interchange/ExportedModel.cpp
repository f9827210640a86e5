#include "interchange/ExportedModel.h"

#include <cmath>
#include <filesystem>
#include <map>

#include "iff/IffReader.h"
#include "model/EditorModel.h"
#include "model/SphereFile.h"
#include "model/TZorvObject.h"

namespace {

bool Finite(const TVector& V) { return std::isfinite(V.X) && std::isfinite(V.Y) && std::isfinite(V.Z); }

template <class T>
std::vector<T> Copy(const TRecordBlock<T>& Block, int32_t Count) {
  return std::vector<T>(Block.Data(), Block.Data() + Count);
}

TExportedLevel ExportLevel(const TMeshData& Mesh, const std::string& Name, const std::string& ModelName,
                           std::ostream& Warnings) {
  TExportedLevel Level;
  Level.Name = Name;
  Level.Vertices = Copy(Mesh.Vertices, Mesh.VertexCount);
  Level.Normals = Copy(Mesh.Normals, Mesh.NormalCount);
  Level.FaceVertices = Copy(Mesh.FaceVertices, Mesh.FaceVertexCount);
  int64_t Outside = 0, Short = 0, NotFinite = 0;
  std::map<int32_t, std::vector<int32_t>> Groups;
  for (int32_t I = 0; I < Mesh.FaceCount; ++I) {
    const TFace& Face = Mesh.Faces[size_t(I)];
    if (!FaceIsUsable(Mesh, Face)) {
      ++Outside;
      continue;
    }
    if (Face.Count < 3) {
      ++Short;
      continue;
    }
    bool Finites = Finite(Mesh.Normals[size_t(Face.Normal)]);
    for (int32_t C = 0; C < Face.Count && Finites; ++C) {
      const TFaceVertex& Corner = Mesh.FaceVertices[size_t(Face.First + C)];
      Finites = Finite(Mesh.Vertices[size_t(Corner.Vertex)]) && std::isfinite(Corner.S) && std::isfinite(Corner.T);
    }
    if (!Finites) {
      ++NotFinite;
      continue;
    }
    Groups[Face.Texture].push_back(int32_t(Level.Faces.size()));
    Level.Faces.push_back(Face);
  }
  for (auto& [Texture, Faces] : Groups) Level.Groups.push_back({Texture, std::move(Faces)});
  const std::string Where = ModelName + ": level " + Name + ": ";
  if (Outside) Warnings << Where << Outside << " face(s) refer outside the mesh arrays and were left out\n";
  if (Short) Warnings << Where << Short << " face(s) with fewer than 3 corners were left out\n";
  if (NotFinite) Warnings << Where << NotFinite << " face(s) with a number that is not finite were left out\n";
  return Level;
}

}  // namespace

TExportedModel ReadExportedModel(const std::string& ModelFile, int32_t LOD, bool AllLevels, std::ostream& Warnings) {
  TExportedModel Result;
  Result.Name = std::filesystem::path(ModelFile).filename().string();

  TZorvObject First(TDisplayListPolicy::None);
  First.OpenReadOnly = true;  // exporting only reads the model file
  SetUpEditorModel(First, ModelFile, AllLevels ? 0 : LOD);
  // The loader names the levels it finds and the one it loads; a
  // single-mesh file names none.
  const TModelLevels& Levels = First.Levels();
  const bool LodFile = !Levels.Loaded.empty();
  Result.Levels.push_back(ExportLevel(First.Mesh(), LodFile ? Levels.Loaded : "mesh", Result.Name, Warnings));
  if (AllLevels && LodFile && Levels.Tags.size() > 1) {
    // The other levels' meshes alone, through one index of the file: the
    // export costs the file's size, not that size once per level.
    const size_t Count = size_t(DistinctLevelCount(int32_t(Levels.Tags.size())));
    TIffReader Reader(ModelFile, /*ReadOnly=*/true);
    for (size_t I = 1; I < Count; ++I) {
      TZorvObject Model(TDisplayListPolicy::None);
      Model.SetKeepData(true);
      Model.SetLOD(int32_t(I));
      Model.LoadLevel(Reader);
      Result.Levels.push_back(ExportLevel(Model.Mesh(), Model.Levels().Loaded, Result.Name, Warnings));
    }
  }
  for (int32_t I = 0; I < First.HardpointCount(); ++I)
    if (const THardpoint* Hardpoint = First.GetHardpoint(I)) Result.Hardpoints.push_back({I, *Hardpoint});

  float Center[3] = {0, 0, 0};
  float Diameter = 0;
  bool TreePresent = false;
  try {
    ReadSphere(ModelFile, Center, Diameter, TreePresent, /*ReadOnly=*/true);
    Result.Sphere = std::array<float, 4>{Center[0], Center[1], Center[2], Diameter};
  } catch (const Exception& E) {
    Warnings << Result.Name << ": no collision sphere exported: " << E.Message() << "\n";
  }
  return Result;
}
