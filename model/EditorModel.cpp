#include "model/EditorModel.h"

#include "model/TZorvObject.h"
#include "runtime/FloatErrors.h"

namespace {

// Measures the model's Scale for the editor's fit; false when it cannot be
// computed (an extent too small or too large for the float range), which
// leaves Scale unknown. Only those float errors mean "not measurable"; any
// other error passes on.
bool MeasureFit(TZorvObject& Model) {
  try {
    Model.UpdateFitScale(EditorFitSize);
    return true;
  } catch (const EInvalidOp&) {
    return false;
  } catch (const EZeroDivide&) {
    return false;
  } catch (const EOverflow&) {
    return false;
  }
}

}  // namespace

void SetUpEditorModel(TZorvObject& Model, const std::string& FileName, int LOD) {
  Model.SetLOD(LOD);
  Model.SetTextured(false);
  Model.SetWireframe(true);
  Model.SetUseList(false);
  Model.SetKeepData(true);
  Model.LoadFromFile(FileName);
  Model.SetFitSize(EditorFitSize);
  // The sphere is drawn with the model's Scale, which drawing would only
  // compute after the sphere of the first view: measure it now. A fit that
  // cannot be computed does not end the load: drawing measures again and
  // raises it there, where a picture or the window reports it. Until then
  // Scale stays unknown (0) and no sphere is drawn.
  MeasureFit(Model);
}

std::string EditorCaption(const std::string& FileName, bool Unsaved, const std::string& Level) {
  std::string Name = FileName;
  size_t Slash = Name.find_last_of('/');
  if (Slash != std::string::npos) Name.erase(0, Slash + 1);
  for (char& C : Name)
    if (C >= 'A' && C <= 'Z') C = char(C - 'A' + 'a');
  return "QUELBIR Editor [" + std::string(Unsaved ? "*" : "") + Name + (Level.empty() ? "" : " [" + Level + "]") + "]";
}
