#include "editor/ViewState.h"

TSceneState MakeSceneState(const TModelDocument& Document, const TViewState& View) {
  TSceneState State;
  static_cast<TViewOptions&>(State) = View;
  State.Level = Document.Level();
  for (int I = 0; I < 3; ++I) State.SphereCenter[I] = Document.SphereCenter()[I];
  State.SphereDiameter = Document.SphereDiameter();
  State.Pointer = View.Pointer;
  State.Model = Document.Model();
  State.Hardpoints = Document.Hardpoints();
  for (const int Index : Document.SelectedIndices()) State.SelectedHardpoints.push_back(Index);
  return State;
}

std::string ShownTexturesFolder(const TModelDocument& Document, const TViewOptions& View) {
  return TexturesFolderFor(View, Document.ShownFile());
}
