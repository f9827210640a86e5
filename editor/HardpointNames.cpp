#include "editor/HardpointNames.h"

#include <GL/gl.h>

#include <cmath>
#include <utility>

#include "editor/DrawingTools.h"
#include "editor/LabelPlacement.h"
#include "editor/ViewPicking.h"
#include "model/TZorvObject.h"

namespace {

// Pixels from a marker's origin to its name: beyond the pointer's reach, so
// that hovering a marker never hides its own name.
constexpr int NameGap = int(TDrawingTools::MarkerReach) + 2;

// The names' colours: yellow as the selected marker, a light grey otherwise.
constexpr float SelectedColour[3] = {1, 1, 0};
constexpr float NameColour[3] = {0.8f, 0.8f, 0.8f};

template <class T>
void Append(std::string& Key, const T& Value) {
  Key.append(reinterpret_cast<const char*>(&Value), sizeof Value);
}

// Everything the names of State show at Width x Height, bit for bit.
std::string NamesKey(const TSceneState& State, int Width, int Height) {
  std::string Key;
  if (!State.ShowNames || State.Model == nullptr) return Key;
  Append(Key, Width);
  Append(Key, Height);
  for (const TViewTransform& View : ViewTransforms(State)) {
    Append(Key, View.Rotation);
    Append(Key, View.Offset);
    Append(Key, View.Scale);
    Append(Key, View.KeepProportions);
  }
  const auto Under = MarkerUnderPointer(State, Width, Height);
  Append(Key, Under ? Under->Hardpoint : -1);
  Append(Key, Under ? Under->View : -1);
  Append(Key, State.Hardpoints.size());
  for (size_t H = 0; H < State.Hardpoints.size(); ++H) {
    const THardpoint& Hardpoint = State.Hardpoints[H];
    Append(Key, State.HardpointSelected(int32_t(H)));
    Append(Key, HardpointOrigin(Hardpoint.Matrix));
    Append(Key, Hardpoint.Name.size());
    Key += Hardpoint.Name;
  }
  return Key;
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
  // Each name measured once, whatever the views; the selected ones asked
  // for first, so that they win the places they meet others for.
  std::vector<TNameLabel> Asked;
  std::vector<TLabelRequest> Requests;
  for (bool Selected : {true, false})
    for (int H = 0; H < int(State.Hardpoints.size()); ++H) {
      const THardpoint& Hardpoint = State.Hardpoints[size_t(H)];
      if (Hardpoint.Name.empty() || State.HardpointSelected(H) != Selected) continue;
      const TTextBox Box = MeasureText(Hardpoint.Name);
      for (int V = 0; V < int(Views.size()); ++V) {
        const TPixel At = ProjectToPixel(Views[size_t(V)], HardpointOrigin(Hardpoint.Matrix), Width, Height);
        Asked.push_back({H, V, 0, 0, Box, Selected});
        Requests.push_back({At.X, At.Y, Box.Width, Box.Height});
      }
    }
  TLabelRules Rules;
  Rules.Width = Width;
  Rules.Height = Height;
  Rules.Gap = NameGap;
  Rules.Shadow = 1;  // the black shadow one pixel down and right
  if (const auto Under = MarkerUnderPointer(State, Width, Height)) {
    const THardpoint& Hovered = State.Hardpoints[size_t(Under->Hardpoint)];
    const TPixel Origin = ProjectToPixel(Views[size_t(Under->View)], HardpointOrigin(Hovered.Matrix), Width, Height);
    Rules.KeepFree = TFreeSquare{Origin.X, Origin.Y, TDrawingTools::MarkerReach};
  }
  const std::vector<std::optional<TLabelCorner>> Placed = PlaceLabels(Requests, Rules);
  std::vector<TNameLabel> Selected;
  for (size_t I = 0; I < Asked.size(); ++I) {
    if (!Placed[I]) continue;
    TNameLabel Label = Asked[I];
    Label.X = Placed[I]->X;
    Label.Y = Placed[I]->Y;
    (Label.Selected ? Selected : Labels).push_back(Label);
  }
  Labels.insert(Labels.end(), Selected.begin(), Selected.end());
  return Labels;
}

void THardpointNameLayer::Draw(const TSceneState& State, int Width, int Height) {
  std::string Key = NamesKey(State, Width, Height);
  if (Key != FKey) {
    FShadows.Clear();
    FNames.Clear();
    FSelected.Clear();
    for (const TNameLabel& Label : HardpointNameLabels(State, Width, Height)) {
      const std::string& Name = State.Hardpoints[size_t(Label.Hardpoint)].Name;
      FShadows.Add(Name, Label.X + 1, Label.Y + 1, Width, Height);
      (Label.Selected ? FSelected : FNames).Add(Name, Label.X, Label.Y, Width, Height);
    }
    FKey = std::move(Key);
    ++FLayouts;
  }
  // A black shadow one pixel down and right keeps a name legible over the
  // white outlines; all shadows first, so that none cuts into a name.
  FShadows.Draw(0, 0, 0);
  FNames.Draw(NameColour[0], NameColour[1], NameColour[2]);
  FSelected.Draw(SelectedColour[0], SelectedColour[1], SelectedColour[2]);
}

void DrawHardpointNames(const TSceneState& State, THardpointNameLayer* Names) {
  if (!State.ShowNames || State.Model == nullptr) return;
  GLint Viewport[4];
  glGetIntegerv(GL_VIEWPORT, Viewport);
  THardpointNameLayer Once;
  (Names != nullptr ? *Names : Once).Draw(State, Viewport[2], Viewport[3]);
}
