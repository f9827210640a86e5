#include "interchange/ModelExport.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "interchange/ExportedModel.h"
#include "interchange/ExportedTextures.h"
#include "interchange/GltfExport.h"
#include "interchange/ObjExport.h"

void ExportModel(const std::string& ModelFile, const std::string& OutFile, const TExportOptions& Options,
                 std::ostream& Warnings) {
  std::string Extension = std::filesystem::path(OutFile).extension().string();
  std::transform(Extension.begin(), Extension.end(), Extension.begin(),
                 [](unsigned char C) { return char(std::tolower(C)); });
  if (Extension != ".glb" && Extension != ".gltf" && Extension != ".obj")
    throw EModelExport("Export: the format of " + OutFile + " is not known; use .glb, .gltf or .obj");
  TExportedModel Model = ReadExportedModel(ModelFile, Options.LOD, Options.AllLODs, Warnings);
  if (Options.Hardpoints) {
    Model.Hardpoints.clear();
    for (size_t I = 0; I < Options.Hardpoints->size(); ++I)
      Model.Hardpoints.push_back({int32_t(I), (*Options.Hardpoints)[I]});
  }
  if (Options.Sphere) Model.Sphere = Options.Sphere;
  const auto Images = ReadTextureImages(Model, Options.TexturesDir, Warnings);
  // The writers check every file of the export against the model file
  // before they write the first.
  if (Extension == ".obj")
    WriteObj(Model, Images, OutFile, ModelFile);
  else
    WriteGltf(Model, Images, OutFile, Extension == ".glb" ? TGltfForm::Binary : TGltfForm::Json, Warnings, ModelFile);
}
