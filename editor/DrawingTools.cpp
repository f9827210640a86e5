#include "editor/DrawingTools.h"

#include <cstdlib>

#include "editor/ViewPicking.h"
#include "model/TZorvObject.h"

TSceneState MakeSceneState(const TModelDocument& Document, const TViewState& View) {
  TSceneState State;
  State.Layout = View.Layout;
  for (int I = 0; I < 3; ++I) {
    State.ViewAngles[I] = View.Angles[I];
    State.SphereCenter[I] = Document.SphereCenter()[I];
  }
  State.ViewScale = View.Scale;
  State.SphereDiameter = Document.SphereDiameter();
  State.HideSphere = View.HideSphere;
  State.KeepProportions = View.KeepProportions;
  State.ShowNames = View.ShowNames;
  State.Pointer = View.Pointer;
  State.Model = Document.Model();
  return State;
}

void TDrawingTools::Press(const TPointer& At, bool LeftButton) {
  EndMove();
  FDocument.SetGesture(nullptr);
  FDragging = false;
  if (!LeftButton) return;
  FPressX = At.X, FPressY = At.Y;
  FPressMoved = false;
  FDragging = true;
  for (int I = 0; I < 3; ++I) FAnglesBefore[I] = FView.Angles[I];
  FDocument.SetGesture([this] { Cancel(); });
  const TDocumentHardpoint* Selected = FDocument.SelectedHardpoint();
  if (Selected == nullptr) return;
  const TSceneState State = MakeSceneState(FDocument, FView);
  const auto Pick = PickHardpoint(State, FWidth, FHeight, At.X, At.Y, MarkerReach, FDocument.Selected());
  if (!Pick) return;
  FMoving = Selected->Id;
  FDragView = ViewTransforms(State)[size_t(Pick->View)];
  FDragOrigin = HardpointOrigin(Selected->Matrix);
}

void TDrawingTools::Move(const TPointer& At) {
  if (!FDragging) return;
  if (std::abs(At.X - FPressX) + std::abs(At.Y - FPressY) > 2) FPressMoved = true;
  if (FMoving == 0) {
    // One degree per pixel from the press point, not added up across drags.
    FView.Angles[0] = float(FPressX - At.X);
    FView.Angles[1] = float(FPressY - At.Y);
    return;
  }
  const int Index = FDocument.IndexOf(FMoving);
  if (Index < 0 || FDocument.Model() == nullptr) return;
  TModelPoint To = MoveInViewPlane(FDragView, FDragOrigin, At.X - FPressX, At.Y - FPressY, FWidth, FHeight);
  if (At.Snap)
    if (auto Vertex = NearestVertexOnScreen(FDragView, FDocument.Model()->Mesh(), FWidth, FHeight, At.X, At.Y))
      To = *Vertex;
  THardpointMatrix Matrix = FDocument.Hardpoints()[size_t(Index)].Matrix;
  for (size_t I = 0; I < 3; ++I) Matrix[12 + I] = To[I];
  FDocument.PreviewMatrix(FMoving, Matrix);
}

void TDrawingTools::EndMove() {
  if (FMoving == 0) return;
  FMoving = 0;
  FDocument.CommitPreview("Move Hardpoint");
}

void TDrawingTools::Release(const TPointer& At, bool LeftButton) {
  const bool WasDragging = FDragging, WasMoving = FMoving != 0;
  FDragging = false;
  FDocument.SetGesture(nullptr);
  EndMove();
  if (!LeftButton || !WasDragging || WasMoving || FPressMoved || FDocument.Model() == nullptr) return;
  const auto Pick = PickHardpoint(MakeSceneState(FDocument, FView), FWidth, FHeight, At.X, At.Y, MarkerReach);
  if (Pick && Pick->Hardpoint != FDocument.Selected()) FDocument.Select(Pick->Hardpoint);
}

void TDrawingTools::Cancel() {
  if (!FDragging) return;
  FDragging = false;
  FDocument.SetGesture(nullptr);
  if (FMoving != 0) {
    FMoving = 0;
    FDocument.CancelPreview();
  } else {
    for (int I = 0; I < 3; ++I) FView.Angles[I] = FAnglesBefore[I];
  }
}
