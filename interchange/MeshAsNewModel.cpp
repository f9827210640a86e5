#include "interchange/MeshAsNewModel.h"

#include <memory>

#include "interchange/MeshImport.h"

void OpenMeshAsNewModel(TModelDocument& Document, const std::string& MeshFile, std::ostream& Notes) {
  const TImportedModel Model = ImportMesh(MeshFile, {}, Notes);
  auto File = std::make_unique<TPrivateModelFile>();
  WriteImportedModel(Model, File->Path(), {MeshFile}, Notes);
  Document.LoadNewModel(std::move(File), MeshFile);
}
