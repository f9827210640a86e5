#include "editor/ModelSaveAs.h"

#include "model/ModelWriter.h"

void SaveModelAs(TModelDocument& Document, const std::string& Output) {
  std::vector<TModelHardpoint> Hardpoints;
  for (const TDocumentHardpoint& Hardpoint : Document.Hardpoints())
    Hardpoints.push_back({Hardpoint.Name, Hardpoint.Matrix});
  const TSphereValues Sphere = Document.Sphere();
  WriteModelFileWithHardpoints(Document.FileName(), Output, Hardpoints, &Sphere);
  Document.HardpointsCopied();
}

std::string SavedModelMessage(const std::string& Output) {
  return "Wrote the model with the hardpoints and the sphere shown to \"" + Output +
         "\". The window keeps showing the open file, which is unchanged.";
}
