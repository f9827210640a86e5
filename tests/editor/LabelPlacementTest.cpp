// Labels beside points: the first free place of the list around each point,
// none where every place is taken, leaves the drawing or covers the square
// kept free; placed labels never meet.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "editor/LabelPlacement.h"

namespace {

using TPlaces = std::vector<std::optional<TLabelCorner>>;

// A drawing of 200 x 100 with labels 30 x 12 (13 x 31 with the shadow), 7
// pixels from their points.
TLabelRules Rules() {
  TLabelRules R;
  R.Width = 200;
  R.Height = 100;
  R.Gap = 7;
  return R;
}

TLabelRequest At(double X, double Y, int Width = 30) { return {X, Y, Width, 12}; }

TEST(LabelPlacement, EachLabelTakesTheFirstFreePlaceAroundItsPoint) {
  const std::optional<TLabelCorner> None;
  const TLabelCorner Right{107, 44}, Left{63, 44};
  struct TCase {
    const char* What;
    std::vector<TLabelRequest> Requests;
    std::optional<TFreeSquare> KeepFree;
    TPlaces Expected;
  } Cases[] = {
      {"alone: to the right, centred on the row", {At(100.5, 50.9)}, {}, {Right}},
      {"a second on the same point: to the left", {At(100, 50), At(100, 50)}, {}, {Right, Left}},
      {"then stacked a line above and below, right before left",
       {At(100, 50), At(100, 50), At(100, 50), At(100, 50), At(100, 50), At(100, 50)},
       {},
       {Right, Left, TLabelCorner{107, 31}, TLabelCorner{107, 57}, TLabelCorner{63, 31}, TLabelCorner{63, 57}}},
      {"two lines away, then no place left",
       {At(100, 50), At(100, 50), At(100, 50), At(100, 50), At(100, 50), At(100, 50), At(100, 50), At(100, 50),
        At(100, 50), At(100, 50), At(100, 50)},
       {},
       {Right, Left, TLabelCorner{107, 31}, TLabelCorner{107, 57}, TLabelCorner{63, 31}, TLabelCorner{63, 57},
        TLabelCorner{107, 18}, TLabelCorner{107, 70}, TLabelCorner{63, 18}, TLabelCorner{63, 70}, None}},
      {"near the right side: to the left", {At(180, 50)}, {}, {TLabelCorner{143, 44}}},
      {"near the top: stacked below", {At(100, 2), At(180, 2)}, {}, {TLabelCorner{107, 9}, TLabelCorner{143, 9}}},
      {"wider than the drawing, or far away: nowhere",
       {At(100, 50, 200), At(1e9, 50), At(100, -1e300)},
       {},
       {None, None, None}},
      {"the square kept free is not covered", {At(100, 50)}, TFreeSquare{120, 50, 5}, {Left}},
      {"a label far from others keeps its place", {At(20, 20), At(100, 50)}, {}, {TLabelCorner{27, 14}, Right}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.What);
    TLabelRules R = Rules();
    R.KeepFree = C.KeepFree;
    const TPlaces Placed = PlaceLabels(C.Requests, R);
    ASSERT_EQ(Placed.size(), C.Expected.size());
    for (size_t I = 0; I < Placed.size(); ++I) EXPECT_EQ(Placed[I], C.Expected[I]) << I;
  }
}

TEST(LabelPlacement, PlacedLabelsNeverMeetAndStayInsideTheDrawing) {
  // Points on a grid tighter than the labels, and labels of many widths.
  std::vector<TLabelRequest> Requests;
  for (int Y = 0; Y < 110; Y += 5)
    for (int X = 0; X < 210; X += 7) Requests.push_back(At(X, Y, 6 + (X * 7 + Y) % 60));
  const TPlaces Placed = PlaceLabels(Requests, Rules());
  std::vector<std::array<int, 4>> Boxes;  // with their shadows
  for (size_t I = 0; I < Placed.size(); ++I)
    if (Placed[I])
      Boxes.push_back({Placed[I]->X, Placed[I]->Y, Placed[I]->X + Requests[I].Width + 1, Placed[I]->Y + 13});
  EXPECT_GT(Boxes.size(), 20u);
  for (size_t A = 0; A < Boxes.size(); ++A) {
    EXPECT_TRUE(Boxes[A][0] >= 0 && Boxes[A][1] >= 0 && Boxes[A][2] <= 200 && Boxes[A][3] <= 100) << A;
    for (size_t B = A + 1; B < Boxes.size(); ++B)
      EXPECT_FALSE(Boxes[A][0] < Boxes[B][2] && Boxes[B][0] < Boxes[A][2] && Boxes[A][1] < Boxes[B][3] &&
                   Boxes[B][1] < Boxes[A][3])
          << A << " meets " << B;
  }
}

}  // namespace
