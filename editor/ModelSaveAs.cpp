#include "editor/ModelSaveAs.h"

#include "model/ModelWriter.h"
#include "runtime/OutputFiles.h"

std::string SaveModelAs(TModelDocument& Document, const std::string& Output) {
  // The user's file is never written over: a new model's mesh, as the
  // command line's import refuses it, and the file loaded, also when the
  // model is read from the program's file of levels made in the window.
  CheckNotModelFile(Output, Document.ShownFile());
  const TSphereValues Sphere = Document.Sphere();
  // The file the model is read from holds the levels shown.
  WriteModelFileWithHardpoints(Document.FileName(), Output, ModelHardpoints(Document.Hardpoints()), &Sphere);
  const bool NewModel = Document.NewModel(), Levels = Document.MadeLevelsShown();
  Document.LevelsWritten();
  // A new model has its file now, and the document shows it; a model that
  // came from a file keeps showing that file.
  if (NewModel)
    Document.BecomeFile(Output);
  else
    Document.HardpointsCopied();
  return SavedModelMessage(Output, NewModel, Levels);
}

std::optional<std::string> SaveModelAsAsking(TModelDocument& Document, const TUserQuestions& User) {
  if (!Document.Model()) return std::nullopt;
  TSaveDialogOptions Options;
  Options.Filter = "IFF Files (*.iff)|*.iff";
  Options.DefaultExt = ".iff";
  const std::optional<std::string> Chosen = User.SaveFile(TFileKind::Models, Options);
  if (!Chosen) return std::nullopt;
  return SaveModelAs(Document, *Chosen);
}

std::string SavedModelMessage(const std::string& Output, bool NowShown, bool WithLevels) {
  const std::string Wrote = "Wrote the model with the " + std::string(WithLevels ? "levels of detail made, the " : "") +
                            "hardpoints and the sphere shown to \"" + Output + "\".";
  if (NowShown) return Wrote + " The window now shows that file.";
  return Wrote + " The window keeps showing the open file, which is unchanged.";
}
