#include "editor/DrawingTools.h"

#include <cstdlib>

#include "editor/ViewPicking.h"
#include "model/TZorvObject.h"

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
  if (FDocument.SelectedHardpoint() == nullptr) return;
  const TSceneState State = MakeSceneState(FDocument, FView);
  const auto Pick = PickHardpoint(State, FWidth, FHeight, At.X, At.Y, MarkerReach, /*SelectedOnly=*/true);
  if (!Pick) return;
  const auto& Hardpoints = FDocument.Hardpoints();
  FMoving.push_back(
      {Hardpoints[size_t(Pick->Hardpoint)].Id, HardpointOrigin(Hardpoints[size_t(Pick->Hardpoint)].Matrix)});
  for (const int Index : FDocument.SelectedIndices())
    if (Index != Pick->Hardpoint)
      FMoving.push_back({Hardpoints[size_t(Index)].Id, HardpointOrigin(Hardpoints[size_t(Index)].Matrix)});
  FDragView = ViewTransforms(State)[size_t(Pick->View)];
}

void TDrawingTools::Move(const TPointer& At) {
  if (!FDragging) return;
  if (std::abs(At.X - FPressX) + std::abs(At.Y - FPressY) > 2) FPressMoved = true;
  if (FMoving.empty()) {
    // One degree per pixel from the press point, not added up across drags.
    FView.Angles[0] = float(FPressX - At.X);
    FView.Angles[1] = float(FPressY - At.Y);
    return;
  }
  if (FDocument.Model() == nullptr) return;
  const TModelPoint& Pressed = FMoving.front().Origin;
  TModelPoint To = MoveInViewPlane(FDragView, Pressed, At.X - FPressX, At.Y - FPressY, FWidth, FHeight);
  if (At.Snap)
    if (auto Vertex = NearestVertexOnScreen(FDragView, FDocument.Model()->Mesh(), FWidth, FHeight, At.X, At.Y))
      To = *Vertex;
  // The others follow the one pressed by the same offset; the one pressed
  // lands exactly where the pointer (or the vertex) puts it.
  TModelPoint Offset;
  for (size_t I = 0; I < 3; ++I) Offset[I] = To[I] - Pressed[I];
  std::vector<std::pair<THardpointId, THardpointMatrix>> Matrices;
  for (const TMoved& Moved : FMoving) {
    const int Index = FDocument.IndexOf(Moved.Id);
    if (Index < 0) continue;
    THardpointMatrix Matrix = FDocument.Hardpoints()[size_t(Index)].Matrix;
    for (size_t I = 0; I < 3; ++I) Matrix[12 + I] = &Moved == &FMoving.front() ? To[I] : Moved.Origin[I] + Offset[I];
    Matrices.emplace_back(Moved.Id, Matrix);
  }
  FDocument.PreviewMatrices(Matrices);
}

void TDrawingTools::EndMove() {
  if (FMoving.empty()) return;
  const bool Several = FMoving.size() > 1;
  FMoving.clear();
  FDocument.CommitPreview(Several ? "Move Hardpoints" : "Move Hardpoint");
}

void TDrawingTools::Release(const TPointer& At, bool LeftButton) {
  const bool WasDragging = FDragging;
  FDragging = false;
  FDocument.SetGesture(nullptr);
  const bool Click = LeftButton && WasDragging && !FPressMoved && FDocument.Model() != nullptr;
  // A click moves nothing, however the pointer shook within it.
  if (Click && !FMoving.empty()) {
    FMoving.clear();
    FDocument.CancelPreview();
  }
  EndMove();
  if (!Click) return;
  const auto Pick = PickHardpoint(MakeSceneState(FDocument, FView), FWidth, FHeight, At.X, At.Y, MarkerReach);
  if (!Pick) return;
  if (At.Snap)
    FDocument.ToggleSelected(Pick->Hardpoint);
  else if (At.Extend)
    FDocument.AddToSelection(Pick->Hardpoint);
  else if (Pick->Hardpoint != FDocument.Selected() || FDocument.SelectedIndices().size() > 1)
    FDocument.Select(Pick->Hardpoint);
}

void TDrawingTools::Cancel() {
  if (!FDragging) return;
  FDragging = false;
  FDocument.SetGesture(nullptr);
  if (!FMoving.empty()) {
    FMoving.clear();
    FDocument.CancelPreview();
  } else {
    for (int I = 0; I < 3; ++I) FView.Angles[I] = FAnglesBefore[I];
  }
}
