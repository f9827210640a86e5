#include "editor/DocumentPicture.h"

#include "editor/ViewState.h"

TPictureRequest DocumentPictureRequest(const TModelDocument& Document, const TViewOptions& View, int Width,
                                       int Height) {
  TPictureRequest Request;
  static_cast<TViewOptions&>(Request) = View;
  Request.Width = Width;
  Request.Height = Height;
  // A new model's textures are looked for beside its mesh, as the window
  // draws them, not beside the program's private copy.
  Request.TexturesFolder = ShownTexturesFolder(Document, View);
  Request.ModelFile = Document.FileName();
  Request.Level = Document.Level();
  // What the window shows: the sphere values, the hardpoints as edited and
  // the selected ones yellow.
  Request.Sphere = Document.Sphere();
  Request.Hardpoints = ModelHardpoints(Document.Hardpoints());
  Request.SelectedHardpoint = Document.Selected();
  for (const int Index : Document.SelectedIndices()) Request.SelectedHardpoints.push_back(Index);
  return Request;
}

std::optional<std::string> AskPictureFile(const TModelDocument& Document, const TUserQuestions& User) {
  if (!Document.Model()) return std::nullopt;
  TSaveDialogOptions Options;
  Options.Filter = "PNG Pictures (*.png)|*.png";
  Options.DefaultExt = ".png";
  std::optional<std::string> Chosen = User.SaveFile(TFileKind::Pictures, Options);
  if (Chosen) CheckPictureFileName(*Chosen);
  return Chosen;
}
