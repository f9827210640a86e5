#include "interchange/DocumentExport.h"

#include <sstream>

#include "editor/ViewState.h"
#include "editor/WorkQuestions.h"

TExportOptions DocumentExportOptions(const TModelDocument& Document, const TViewOptions& View) {
  TExportOptions Export;
  Export.LOD = Document.Level();
  Export.Sphere = Document.Sphere();
  Export.Hardpoints = ModelHardpoints(Document.Hardpoints());
  // An empty folder is the current one there.
  const std::string Textures = ShownTexturesFolder(Document, View);
  Export.TexturesDir = Textures.empty() ? "." : Textures;
  return Export;
}

std::string ExportAsking(TModelDocument& Document, const TViewOptions& View, const TUserQuestions& User) {
  if (!Document.Model()) return "";
  TSaveDialogOptions Options;
  Options.Filter = "glTF Binary (*.glb)|*.glb|glTF (*.gltf)|*.gltf|Wavefront OBJ (*.obj)|*.obj";
  Options.DefaultExt = ".glb";
  const std::optional<std::string> Chosen = User.SaveFile(TFileKind::Exports, Options);
  if (!Chosen) return "";
  std::ostringstream Warnings;
  ExportModel(Document.FileName(), *Chosen, DocumentExportOptions(Document, View), Warnings);
  const bool EditedHardpoints = Document.HardpointsDifferFromFile();
  Document.HardpointsCopied();
  // What the export left out is said, as the command line says it on
  // standard error; the file is written all the same.
  return Warnings.str() + ExportDifferenceNote(Document.SphereUnsaved(), EditedHardpoints);
}
