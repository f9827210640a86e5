#include "editor/HardpointListEdits.h"

#include <cmath>
#include <limits>
#include <vector>

#include "model/HardpointName.h"
#include "model/ModelWriter.h"

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

THardpointId DuplicateSelectedHardpoint(TModelDocument& Document) {
  // The copy is of the hardpoint as it stands, not as a drag under way shows it.
  Document.CancelGesture();
  const TDocumentHardpoint* Selected = Document.SelectedHardpoint();
  if (Selected == nullptr) return 0;
  const TDocumentHardpoint Original = *Selected;
  return Document.AddHardpoint(size_t(Document.Selected()) + 1, DuplicateHardpointName(Original.Name, Names(Document)),
                               Original.Matrix, "Duplicate Hardpoint");
}

bool DeleteSelectedHardpoint(TModelDocument& Document) {
  const TDocumentHardpoint* Selected = Document.SelectedHardpoint();
  if (Selected == nullptr) return false;
  Document.RemoveHardpoint(Selected->Id, "Delete Hardpoint");
  return true;
}

bool NameUsedByAnother(const TModelDocument& Document, THardpointId Id, const std::string& Name) {
  for (const TDocumentHardpoint& Hardpoint : Document.Hardpoints())
    if (Hardpoint.Id != Id && Hardpoint.Name == Name) return true;
  return false;
}

void SaveModelAs(TModelDocument& Document, const std::string& Output) {
  std::vector<TModelHardpoint> Hardpoints;
  for (const TDocumentHardpoint& Hardpoint : Document.Hardpoints())
    Hardpoints.push_back({Hardpoint.Name, Hardpoint.Matrix});
  const TSphereValues Sphere = Document.Sphere();
  WriteModelFileWithHardpoints(Document.FileName(), Output, Hardpoints, &Sphere);
  Document.HardpointsCopied();
}

std::string SavedModelMessage(const std::string& Output) {
  return "Wrote the model with the hardpoints and the sphere shown to \"" + Output +
         "\". The window keeps showing the open file, which is unchanged.";
}
