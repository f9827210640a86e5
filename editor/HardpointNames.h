#pragma once
// "Show Names": each hardpoint's name beside its marker in every view of the
// drawing, the selected ones in yellow and the others in a light grey, each
// with a black shadow, drawn over everything else. Every name shown can be
// read: names are placed by LabelPlacement.h, to the right of their marker's
// origin or failing that to its left or stacked a line above or below, far
// enough that a name never covers its own origin within the reach of a
// pointer (DrawingTools.h); no name covers another (the selected ones are
// placed first), leaves the drawing, or covers the origin of the marker
// under the pointer, so that it stays in sight and within reach. A name that
// finds no such place is not shown in that frame.
#include <optional>
#include <string>
#include <vector>

#include "editor/Scene.h"
#include "gl/TextDrawing.h"

// One name as it is drawn: its top left corner and box in the drawing's
// pixels (x to the right, y down).
struct TNameLabel {
  int Hardpoint = -1;  // index in the state's list
  int View = -1;       // index in ViewTransforms (ViewPicking.h)
  int X = 0, Y = 0;
  TTextBox Box;
  bool Selected = false;
};

// The marker under State's pointer, by its index in the list and its view;
// none without a pointer or with no marker within reach.
struct TMarkerUnderPointer {
  int Hardpoint = -1;
  int View = -1;
  bool operator==(const TMarkerUnderPointer&) const = default;
};
std::optional<TMarkerUnderPointer> MarkerUnderPointer(const TSceneState& State, int Width, int Height);

// The names a drawing of Width x Height pixels shows for State, unselected
// ones first; none unless ShowNames.
std::vector<TNameLabel> HardpointNameLabels(const TSceneState& State, int Width, int Height);

// The names of a drawing laid out and built into quads once, and drawn
// again from them while nothing they show has changed (the views, the
// drawing's size, the hardpoints' places, names and selection, the marker
// under the pointer): a repaint of an unchanged scene costs the names' draw
// alone.
class THardpointNameLayer {
public:
  void Draw(const TSceneState& State, int Width, int Height);
  // How many times the names were laid out.
  int Layouts() const { return FLayouts; }

private:
  std::string FKey;  // what the kept quads show
  TTextQuads FShadows, FNames, FSelected;
  int FLayouts = 0;
};

// The labels of HardpointNameLabels drawn over the current frame, at the
// current viewport's size; the OpenGL state is left as it was found.
// Through Names when given: their layout is kept from the last call.
void DrawHardpointNames(const TSceneState& State, THardpointNameLayer* Names = nullptr);
