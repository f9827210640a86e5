#include "editor/HardpointNames.h"

#include <GL/gl.h>

#include <cmath>

#include "editor/DrawingTools.h"
#include "editor/ViewPicking.h"
#include "model/TZorvObject.h"

namespace {

// Pixels from a marker's origin to its name: beyond the pointer's reach, so
// that hovering a marker never hides its own name.
constexpr int NameGap = int(TDrawingTools::MarkerReach) + 2;

// A label is placed only where its corner fits an int with room to spare:
// a marker projected far outside the drawing has no name in sight.
constexpr double FarAway = 1e6;

// The names' colours: yellow as the selected marker, a light grey otherwise.
constexpr float SelectedColour[3] = {1, 1, 0};
constexpr float NameColour[3] = {0.8f, 0.8f, 0.8f};

bool Covers(const TNameLabel& Label, const TPixel& Origin) {
  const double Reach = TDrawingTools::MarkerReach;
  return Label.X <= Origin.X + Reach && Origin.X - Reach <= Label.X + Label.Box.Width && Label.Y <= Origin.Y + Reach &&
         Origin.Y - Reach <= Label.Y + Label.Box.Height;
}

}  // namespace

std::optional<TMarkerUnderPointer> MarkerUnderPointer(const TSceneState& State, int Width, int Height) {
  if (!State.Pointer || State.Model == nullptr) return std::nullopt;
  const auto Pick =
      PickHardpoint(State, Width, Height, (*State.Pointer)[0], (*State.Pointer)[1], TDrawingTools::MarkerReach);
  if (!Pick) return std::nullopt;
  return TMarkerUnderPointer{Pick->Hardpoint, Pick->View};
}

std::vector<TNameLabel> HardpointNameLabels(const TSceneState& State, int Width, int Height) {
  std::vector<TNameLabel> Labels;
  if (!State.ShowNames || State.Model == nullptr) return Labels;
  const std::vector<TViewTransform> Views = ViewTransforms(State);
  std::vector<TNameLabel> Selected;
  for (int V = 0; V < int(Views.size()); ++V)
    for (int32_t H = 0; H < State.Model->HardpointCount(); ++H) {
      const THardpoint* Hardpoint = State.Model->GetHardpoint(H);
      if (Hardpoint == nullptr || Hardpoint->Name.empty()) continue;
      const TPixel At = ProjectToPixel(Views[size_t(V)], HardpointOrigin(Hardpoint->Matrix), Width, Height);
      if (!(std::fabs(At.X) < FarAway && std::fabs(At.Y) < FarAway)) continue;
      TNameLabel Label;
      Label.Hardpoint = H;
      Label.View = V;
      Label.Box = MeasureText(Hardpoint->Name);
      // Beside the origin's pixel, centred on its row.
      Label.X = int(std::floor(At.X)) + NameGap;
      Label.Y = int(std::floor(At.Y)) - Label.Box.Height / 2;
      // A name wholly outside the drawing (its shadow included) costs nothing.
      if (Label.X >= Width || Label.Y >= Height || Label.X + Label.Box.Width + 1 <= 0 ||
          Label.Y + Label.Box.Height + 1 <= 0)
        continue;
      Label.Selected = State.Model->HardpointSelected(H);
      (Label.Selected ? Selected : Labels).push_back(Label);
    }
  Labels.insert(Labels.end(), Selected.begin(), Selected.end());

  const auto Under = MarkerUnderPointer(State, Width, Height);
  if (!Under) return Labels;
  const THardpoint* Hovered = State.Model->GetHardpoint(Under->Hardpoint);
  const TPixel Origin = ProjectToPixel(Views[size_t(Under->View)], HardpointOrigin(Hovered->Matrix), Width, Height);
  std::erase_if(Labels, [&](const TNameLabel& Label) { return Covers(Label, Origin); });
  return Labels;
}

void DrawHardpointNames(const TSceneState& State) {
  if (!State.ShowNames || State.Model == nullptr) return;
  GLint Viewport[4];
  glGetIntegerv(GL_VIEWPORT, Viewport);
  const std::vector<TNameLabel> Labels = HardpointNameLabels(State, Viewport[2], Viewport[3]);
  // A black shadow one pixel down and right keeps a name legible over the
  // white outlines; all shadows first, so that none cuts into a name.
  std::vector<TTextAt> Shadows, Names, SelectedNames;
  for (const TNameLabel& Label : Labels) {
    const std::string* Name = &State.Model->GetHardpoint(Label.Hardpoint)->Name;
    Shadows.push_back({Name, Label.X + 1, Label.Y + 1});
    (Label.Selected ? SelectedNames : Names).push_back({Name, Label.X, Label.Y});
  }
  DrawTexts(Shadows, 0, 0, 0);
  DrawTexts(Names, NameColour[0], NameColour[1], NameColour[2]);
  DrawTexts(SelectedNames, SelectedColour[0], SelectedColour[1], SelectedColour[2]);
}
