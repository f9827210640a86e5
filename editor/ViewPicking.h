#pragma once
// Where the drawing puts a model point on the screen, and back: picking a
// hardpoint's marker, moving a hardpoint in the plane of a view, and finding
// the vertex nearest the pointer. The same road as the drawing's own matrices
// (Scene.h): the view's place and quarter turn, the view angles about x, y
// and z, the zoom and the model's fit Scale, through the fixed orthographic
// volume stretched over the drawing. Positions on the screen are in the
// drawing's pixels, x to the right and y down, with (0, 0) its top left
// corner.
#include <array>
#include <optional>
#include <vector>

#include "editor/Scene.h"

struct TMeshData;

using TModelPoint = std::array<float, 3>;

// One view of the drawing: a model point p lands at Offset + Rotation * p *
// Scale in the -1..1 square (x and y; depth does not show).
struct TViewTransform {
  double Rotation[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  double Offset[2] = {0, 0};
  double Scale = 0;              // zoom times the model's fit Scale
  bool KeepProportions = false;  // the square widened, not stretched (ProportionSqueeze)
};

// The views State draws, in drawing order; none without a model or while the
// model's fit is not known.
std::vector<TViewTransform> ViewTransforms(const TSceneState& State);

struct TPixel {
  double X = 0, Y = 0;
};
TPixel ProjectToPixel(const TViewTransform& View, const TModelPoint& Point, int Width, int Height);

// A hardpoint's origin (e12, e13, e14 of its matrix).
TModelPoint HardpointOrigin(const std::array<float, 16>& Matrix);

struct THardpointPick {
  int Hardpoint = -1;   // index in the state's list
  int View = -1;        // index in ViewTransforms
  double Distance = 0;  // pixels from the pointer
};
// The hardpoint whose marker origin lies nearest to (X, Y) in any view, within
// Radius pixels; with SelectedOnly, only the ones drawn highlighted (the
// state's HardpointSelected) are looked at.
std::optional<THardpointPick> PickHardpoint(const TSceneState& State, int Width, int Height, double X, double Y,
                                            double Radius, bool SelectedOnly = false);

// Start moved by (DX, DY) pixels in the plane through it that faces the
// viewer of View. A view that shows nothing (Scale 0) leaves it where it is.
TModelPoint MoveInViewPlane(const TViewTransform& View, const TModelPoint& Start, double DX, double DY, int Width,
                            int Height);

// The vertex of Mesh whose place in View lies nearest to (X, Y); none for a
// mesh without vertices.
std::optional<TModelPoint> NearestVertexOnScreen(const TViewTransform& View, const TMeshData& Mesh, int Width,
                                                 int Height, double X, double Y);
