#pragma once
// "Show Names": each hardpoint's name beside its marker in every view of the
// drawing, the selected ones in yellow and the others in a light grey, each
// with a black shadow, drawn over everything else. A name stands to the right of its marker's origin,
// far enough that it never covers that origin within the reach of a pointer
// (DrawingTools.h); a name that would cover the origin of the marker under
// the pointer is left out in that frame, so that the marker stays in sight
// and within reach.
#include <optional>
#include <vector>

#include "editor/Scene.h"
#include "gl/TextDrawing.h"

// One name as it is drawn: its top left corner and box in the drawing's
// pixels (x to the right, y down).
struct TNameLabel {
  int Hardpoint = -1;  // index in the model
  int View = -1;       // index in ViewTransforms (ViewPicking.h)
  int X = 0, Y = 0;
  TTextBox Box;
  bool Selected = false;
};

// The marker under State's pointer, by its index in the model and its view;
// none without a pointer or with no marker within reach.
struct TMarkerUnderPointer {
  int Hardpoint = -1;
  int View = -1;
  bool operator==(const TMarkerUnderPointer&) const = default;
};
std::optional<TMarkerUnderPointer> MarkerUnderPointer(const TSceneState& State, int Width, int Height);

// The names a drawing of Width x Height pixels shows for State, unselected
// ones first (a selected name lies over any it meets); none unless ShowNames.
std::vector<TNameLabel> HardpointNameLabels(const TSceneState& State, int Width, int Height);

// The labels of HardpointNameLabels drawn over the current frame, at the
// current viewport's size; the OpenGL state is left as it was found.
void DrawHardpointNames(const TSceneState& State);
