#include "editor/HardpointListEdits.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "model/HardpointName.h"

namespace {

std::vector<std::string> Names(const TModelDocument& Document) {
  std::vector<std::string> Used;
  for (const TDocumentHardpoint& Hardpoint : Document.Hardpoints()) Used.push_back(Hardpoint.Name);
  return Used;
}

}  // namespace

std::optional<TModelPoint> AddPointInView(const TSceneState& State, int Width, int Height, double X, double Y) {
  const std::vector<TViewTransform> Views = ViewTransforms(State);
  const TModelPoint Centre{0, 0, 0};
  std::optional<TModelPoint> Best;
  double BestDistance = std::numeric_limits<double>::infinity();
  for (const TViewTransform& View : Views) {
    if (View.Scale == 0) continue;
    const TPixel At = ProjectToPixel(View, Centre, Width, Height);
    const double Distance = std::hypot(X - At.X, Y - At.Y);
    if (Distance < BestDistance) {
      BestDistance = Distance;
      Best = MoveInViewPlane(View, Centre, X - At.X, Y - At.Y, Width, Height);
    }
  }
  return Best;
}

THardpointId AddHardpointAt(TModelDocument& Document, const TModelPoint& Point) {
  const THardpointMatrix Matrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, Point[0], Point[1], Point[2], 1};
  return Document.AddHardpoint(Document.Hardpoints().size(), FreshHardpointName(Names(Document)), Matrix,
                               "Add Hardpoint");
}

std::vector<THardpointId> DuplicateSelectedHardpoints(TModelDocument& Document) {
  // The copies are of the hardpoints as they stand, not as a drag under way
  // shows them.
  Document.CancelGesture();
  const std::vector<int> Originals = Document.SelectedIndices();
  if (Originals.empty()) return {};
  // Named in list order, each name taken before the next is made; put in
  // from the end of the list, so that each original's index still holds.
  std::vector<std::string> Used = Names(Document);
  std::vector<TModelDocument::TNewHardpoint> Copies(Originals.size());
  for (size_t I = 0; I < Originals.size(); ++I) {
    const TDocumentHardpoint& Original = Document.Hardpoints()[size_t(Originals[I])];
    Used.push_back(DuplicateHardpointName(Original.Name, Used));
    Copies[Originals.size() - 1 - I] = {size_t(Originals[I]) + 1, {Used.back(), Original.Matrix}};
  }
  const size_t CurrentAt = size_t(Document.Selected());
  std::vector<THardpointId> Ids =
      Document.AddHardpoints(Copies, Copies.size() > 1 ? "Duplicate Hardpoints" : "Duplicate Hardpoint");
  std::reverse(Ids.begin(), Ids.end());
  THardpointId CurrentCopy = 0;
  for (size_t I = 0; I < Originals.size(); ++I)
    if (size_t(Originals[I]) == CurrentAt) CurrentCopy = Ids[I];
  Document.SelectHardpoints(Ids, CurrentCopy);
  return Ids;
}

bool DeleteSelectedHardpoints(TModelDocument& Document) {
  const std::vector<THardpointId> Selected = Document.SelectedIds();
  if (Selected.empty()) return false;
  Document.RemoveHardpoints(Selected, Selected.size() > 1 ? "Delete Hardpoints" : "Delete Hardpoint");
  return true;
}
