#include "editor/KeptScene.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "editor/HardpointNames.h"
#include "editor/ViewPicking.h"
#include "model/TZorvObject.h"

namespace {

template <class T>
void Append(std::string& Key, const T& Value) {
  Key.append(reinterpret_cast<const char*>(&Value), sizeof Value);
}

// The view's options that the kept picture shows: all but the names, which
// are drawn over it with the markers.
TViewOptions KeptView(const TSceneState& State) {
  TViewOptions View = State;
  View.ShowNames = false;
  return View;
}

// Everything else of the scene but the markers, bit for bit (a NaN is the
// same NaN again, not a change).
std::string SceneKey(const TSceneState& State, int Width, int Height) {
  std::string Key;
  Append(Key, Width);
  Append(Key, Height);
  Append(Key, State.SphereCenter);
  Append(Key, State.SphereDiameter);
  Append(Key, State.Model);
  Append(Key, State.SurfaceEdges);
  Append(Key, State.Textures);
  if (State.Textures != nullptr) {
    Append(Key, State.Textures->Folder().size());
    Key += State.Textures->Folder();
  }
  if (State.Model != nullptr) {
    Append(Key, State.Model->MeshVersion());
    Append(Key, State.Model->FitSize());
    Append(Key, State.Model->Scale());
    Append(Key, TModelOutline::Applies(*State.Model));
  }
  return Key;
}

// The markers, and with ShowNames the names and the marker under the
// pointer (whose covering names are left out): not the pointer itself, so a
// pointer moving where no marker is repaints nothing.
std::string MarkerKey(const TSceneState& State, int Width, int Height) {
  std::string Key;
  if (State.Model == nullptr) return Key;
  Append(Key, State.ShowNames);
  Append(Key, State.Hardpoints.size());
  for (size_t I = 0; I < State.Hardpoints.size(); ++I) {
    const THardpoint& Hardpoint = State.Hardpoints[I];
    Append(Key, State.HardpointSelected(int32_t(I)));
    Append(Key, Hardpoint.Matrix);
    if (State.ShowNames) {
      Append(Key, Hardpoint.Name.size());
      Key += Hardpoint.Name;
    }
  }
  if (State.ShowNames) {
    const auto Under = MarkerUnderPointer(State, Width, Height);
    Append(Key, Under ? Under->Hardpoint : -1);
    Append(Key, Under ? Under->View : -1);
  }
  return Key;
}

// A rectangle of pixels; empty until a point is added.
struct TArea {
  double X0 = INFINITY, Y0 = INFINITY, X1 = -INFINITY, Y1 = -INFINITY;
  bool Finite = true;
  void Add(const TPixel& P) {
    if (!std::isfinite(P.X) || !std::isfinite(P.Y)) Finite = false;
    X0 = std::min(X0, P.X), Y0 = std::min(Y0, P.Y), X1 = std::max(X1, P.X), Y1 = std::max(Y1, P.Y);
  }
  void Grow(double Margin) { X0 -= Margin, Y0 -= Margin, X1 += Margin, Y1 += Margin; }
  bool Meets(const TArea& Other) const {
    if (!Finite || !Other.Finite) return true;
    return X0 <= Other.X1 && Other.X0 <= X1 && Y0 <= Other.Y1 && Other.Y0 <= Y1;
  }
};

// The pixels a line may light beyond its ends and sides: the markers' stubs
// are 5 pixels wide; outlines 1.
constexpr double MarkerMargin = 5, OutlineMargin = 3;

}  // namespace

void TKeptScene::Paint(const TSceneState& Given, int Width, int Height) {
  TSceneState State = Given;
  State.Outline = &FOutline;
  State.Names = &FNames;
  FPaintedScene = SceneKey(State, Width, Height);
  FPaintedView = KeptView(State);
  FPaintedMarkers = MarkerKey(State, Width, Height);
  FLastPaint = TPaint::Whole;
  // Over surfaces a marker is hidden where a face lies in front of it, which
  // the kept colours alone cannot tell: Solid and Textured paint whole.
  if (State.Model == nullptr || State.Shading != TShading::Outlines || !TModelOutline::Applies(*State.Model)) {
    FKeptScene.clear();
    PaintScene(State);
    return;
  }
  // Turning or zooming a big mesh: the lighter outline, every view whole
  // (each step changes the views, so nothing kept would serve the next).
  if (FLighter.Decide(State, FOutline.HasLighter(*State.Model))) {
    FKeptScene.clear();
    FLastPaint = TPaint::Lighter;
    State.Lighter = true;
    PaintScene(State);
    return;
  }
  const bool Kept = FPicture.Held() && FKeptScene == FPaintedScene && FKeptView == FPaintedView;
  if (!Kept) {
    FKeptScene.clear();
    State.Model->GetMaxSize(FMaxSize);
    State.Model->GetBounds(FMin, FMax);
  }
  if (MarkersMeetLaterViews(State, Width, Height)) {
    PaintScene(State);
    return;
  }
  if (Kept) {
    FLastPaint = TPaint::FromKept;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    FPicture.Put();
    // The state the mesh's drawing leaves, as the markers always find it.
    State.Model->SetFaceState();
  } else {
    FLastPaint = TPaint::Made;
    FViewMatrices.clear();
    PaintScene(State, {[&State](GLUquadric* Quadric) { DrawSphere(State, Quadric); },
                       [&] {
                         DrawModelWith(State, [&](TZorvObject& Model) {
                           FOutline.DrawMesh(Model);
                           std::array<float, 16> Matrix;
                           glGetFloatv(GL_MODELVIEW_MATRIX, Matrix.data());
                           FViewMatrices.push_back(Matrix);
                         });
                       }});
    if (FPicture.Keep(Width, Height)) {
      FKeptScene = FPaintedScene;
      FKeptView = FPaintedView;
    }
  }
  DrawMarkers(State);
  DrawHardpointNames(State, &FNames);
}

void TKeptScene::DrawMarkers(const TSceneState& State) const {
  glMatrixMode(GL_MODELVIEW);
  for (const auto& Matrix : FViewMatrices) {
    glLoadMatrixf(Matrix.data());
    DrawStateMarkers(State, FMaxSize);
  }
  glLoadIdentity();
}

bool TKeptScene::MarkersMeetLaterViews(const TSceneState& State, int Width, int Height) const {
  const size_t ViewCount = LayoutViews(State.Layout).size();
  if (ViewCount <= 1) return false;
  const std::vector<TViewTransform> Views = ViewTransforms(State);
  if (Views.size() != ViewCount) return true;
  const TZorvObject& Model = *State.Model;
  std::vector<TArea> Markers(ViewCount), Contents(ViewCount);
  const float Length = FMaxSize / 10;
  const float Reach = std::max(std::fabs(State.SphereDiameter), 0.4f / std::fabs(Model.Scale()));
  for (size_t V = 0; V < ViewCount; ++V) {
    const TViewTransform& View = Views[V];
    for (size_t I = 0; I < State.Hardpoints.size(); ++I) {
      const auto& M = State.Hardpoints[I].Matrix;
      // A matrix that is not affine divides by its last row: not measured.
      if (M[3] != 0 || M[7] != 0 || M[11] != 0 || M[15] != 1) return true;
      Markers[V].Add(ProjectToPixel(View, {M[12], M[13], M[14]}, Width, Height));
      Markers[V].Add(
          ProjectToPixel(View, {M[12] + M[8] * Length, M[13] + M[9] * Length, M[14] + M[10] * Length}, Width, Height));
    }
    for (int Corner = 0; Corner < 8; ++Corner)
      Contents[V].Add(ProjectToPixel(
          View, {Corner & 1 ? FMax.X : FMin.X, Corner & 2 ? FMax.Y : FMin.Y, Corner & 4 ? FMax.Z : FMin.Z}, Width,
          Height));
    if (State.ShowSphere)
      for (int Corner = 0; Corner < 8; ++Corner) {
        const float* C = State.SphereCenter;
        Contents[V].Add(ProjectToPixel(View,
                                       {C[0] + (Corner & 1 ? Reach : -Reach), C[1] + (Corner & 2 ? Reach : -Reach),
                                        C[2] + (Corner & 4 ? Reach : -Reach)},
                                       Width, Height));
      }
    Markers[V].Grow(MarkerMargin);
    Contents[V].Grow(OutlineMargin);
  }
  for (size_t V = 0; V < ViewCount; ++V)
    if (Markers[V].X0 <= Markers[V].X1 || !Markers[V].Finite)
      for (size_t Later = V + 1; Later < ViewCount; ++Later)
        if (Markers[V].Meets(Contents[Later])) return true;
  return false;
}

bool TKeptScene::Changed(const TSceneState& State, int Width, int Height) const {
  return FLastPaint == TPaint::None || KeptView(State) != FPaintedView ||
         SceneKey(State, Width, Height) != FPaintedScene || MarkerKey(State, Width, Height) != FPaintedMarkers ||
         (FLastPaint == TPaint::Lighter && FLighter.ExactDue());
}

void TKeptScene::Release() {
  FPicture.Release();
  FKeptScene.clear();
  FLastPaint = TPaint::None;
}

void TKeptScene::Forget() {
  FPicture.Forget();
  FKeptScene.clear();
  FLastPaint = TPaint::None;
}
