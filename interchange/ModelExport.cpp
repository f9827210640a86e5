#include "interchange/ModelExport.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

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
  const TExportedModel Model = ReadExportedModel(ModelFile, Options.LOD, Options.AllLODs, Warnings);
  const auto Images = ReadTextureImages(Model, Options.TexturesDir, Warnings);
  // The model file is never written: no file of the export may be it.
  const std::filesystem::path Out(OutFile);
  std::vector<std::filesystem::path> Written{Out, Out.parent_path() / (Out.stem().string() + ".bin"),
                                             Out.parent_path() / (Out.stem().string() + ".mtl")};
  for (const auto& Entry : Images) Written.push_back(Out.parent_path() / (TextureName(Entry.first) + ".png"));
  for (const std::filesystem::path& File : Written) {
    std::error_code Error;
    if (std::filesystem::equivalent(File, ModelFile, Error))
      throw EModelExport("Export: " + File.string() + " is the model file itself; choose another name");
  }
  if (Extension == ".obj")
    WriteObj(Model, Images, OutFile);
  else
    WriteGltf(Model, Images, OutFile, Extension == ".glb" ? TGltfForm::Binary : TGltfForm::Json, Warnings);
}
