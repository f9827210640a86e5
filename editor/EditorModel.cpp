#include "editor/EditorModel.h"

#include "model/TZorvObject.h"

void SetUpEditorModel(TZorvObject& Model, const std::string& FileName, int LOD) {
  Model.SetLOD(LOD);
  Model.SetTextured(false);
  Model.SetWireframe(true);
  Model.SetUseList(false);
  Model.SetKeepData(true);
  Model.LoadFromFile(FileName);
  Model.SetFitSize(EditorFitSize);
  // The sphere is drawn with the model's Scale, which drawing would only
  // compute after the sphere of the first view: measure it now.
  Model.UpdateFitScale(EditorFitSize);
}

std::string EditorCaption(const std::string& FileName) {
  std::string Name = FileName;
  size_t Slash = Name.find_last_of('/');
  if (Slash != std::string::npos) Name.erase(0, Slash + 1);
  for (char& C : Name)
    if (C >= 'A' && C <= 'Z') C = char(C - 'A' + 'a');
  return "QUELBIR Editor [" + Name + "]";
}
