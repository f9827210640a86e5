#pragma once
// Where texts beside points of a drawing go so that each can be read: every
// label takes the first free place of a short list around its point (to the
// right, to the left, then stacked a line above or below on either side), a
// place being free when it lies wholly inside the drawing, covers no label
// placed before it and leaves a given square (the marker under the pointer)
// uncovered. A label with no free place is not shown. Earlier labels are
// placed first, so the caller's order is its priority. The cost grows with
// the labels asked for, never with their length, and the labels shown are
// bounded by the drawing's area.
//
// Positions are the drawing's pixels, x to the right and y down, (0, 0) its
// top left corner.
#include <optional>
#include <span>
#include <vector>

struct TLabelRequest {
  double X = 0, Y = 0;        // the point the label belongs to
  int Width = 0, Height = 0;  // the label's box, its shadow not included
};

// A square a label must not cover: its centre and half side.
struct TFreeSquare {
  double X = 0, Y = 0, Reach = 0;
};

struct TLabelCorner {
  int X = 0, Y = 0;  // the box's top left corner
  bool operator==(const TLabelCorner&) const = default;
};

struct TLabelRules {
  int Width = 0, Height = 0;  // the drawing
  int Gap = 0;                // pixels from the point to the nearer side of its label
  int Shadow = 1;             // pixels each box takes beyond its right and bottom side
  std::optional<TFreeSquare> KeepFree;
};

// Each request's place, in the requests' order; none where no place is free.
std::vector<std::optional<TLabelCorner>> PlaceLabels(std::span<const TLabelRequest> Requests, const TLabelRules& Rules);
