#include "editor/ModelSaveAs.h"

#include "model/ModelWriter.h"
#include "runtime/OutputFiles.h"

void SaveModelAs(TModelDocument& Document, const std::string& Output) {
  // A new model's mesh is the user's file too: never written over, as the
  // command line's import refuses it.
  if (Document.NewModel()) CheckNotModelFile(Output, Document.MeshFile());
  std::vector<TModelHardpoint> Hardpoints;
  for (const TDocumentHardpoint& Hardpoint : Document.Hardpoints())
    Hardpoints.push_back({Hardpoint.Name, Hardpoint.Matrix});
  const TSphereValues Sphere = Document.Sphere();
  WriteModelFileWithHardpoints(Document.FileName(), Output, Hardpoints, &Sphere);
  // A new model has its file now, and the document shows it; a model that
  // came from a file keeps showing that file.
  if (Document.NewModel())
    Document.BecomeFile(Output);
  else
    Document.HardpointsCopied();
}

std::optional<std::string> SaveModelAsAsking(TModelDocument& Document, const TUserQuestions& User) {
  if (!Document.Model()) return std::nullopt;
  TSaveDialogOptions Options;
  Options.Filter = "IFF Files (*.iff)|*.iff";
  Options.DefaultExt = ".iff";
  std::optional<std::string> Chosen = User.SaveFile(TFileKind::Models, Options);
  if (Chosen) SaveModelAs(Document, *Chosen);
  return Chosen;
}

std::string SavedModelMessage(const std::string& Output, bool NowShown) {
  const std::string Wrote = "Wrote the model with the hardpoints and the sphere shown to \"" + Output + "\".";
  if (NowShown) return Wrote + " The window now shows that file.";
  return Wrote + " The window keeps showing the open file, which is unchanged.";
}
