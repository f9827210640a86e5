#include "editor/ModelSaveAs.h"

#include "model/ModelWriter.h"
#include "runtime/OutputFiles.h"

void SaveModelAs(TModelDocument& Document, const std::string& Output) {
  // A new model's mesh is the user's file too: never written over, as the
  // command line's import refuses it.
  if (Document.NewModel()) CheckNotModelFile(Output, Document.MeshFile());
  const TSphereValues Sphere = Document.Sphere();
  WriteModelFileWithHardpoints(Document.FileName(), Output, ModelHardpoints(Document.Hardpoints()), &Sphere);
  // A new model has its file now, and the document shows it; a model that
  // came from a file keeps showing that file.
  if (Document.NewModel())
    Document.BecomeFile(Output);
  else
    Document.HardpointsCopied();
}

std::string SavedModelMessage(const std::string& Output, bool NowShown) {
  const std::string Wrote = "Wrote the model with the hardpoints and the sphere shown to \"" + Output + "\".";
  if (NowShown) return Wrote + " The window now shows that file.";
  return Wrote + " The window keeps showing the open file, which is unchanged.";
}
