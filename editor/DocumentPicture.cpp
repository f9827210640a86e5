#include "editor/DocumentPicture.h"

TPictureRequest DocumentPictureRequest(const TModelDocument& Document, const TViewOptions& View) {
  TPictureRequest Request;
  static_cast<TViewOptions&>(Request) = View;
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
