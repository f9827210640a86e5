#include "editor/LabelPlacement.h"

#include <algorithm>
#include <cmath>

namespace {

// A box as it takes the drawing's pixels: [X0, X1) x [Y0, Y1).
struct TBox {
  int X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
  bool Meets(const TBox& Other) const { return X0 < Other.X1 && Other.X0 < X1 && Y0 < Other.Y1 && Other.Y0 < Y1; }
};

// The labels placed so far, filed by the cells of a coarse grid they touch,
// so that a place is checked against its neighbours only.
class TPlacedBoxes {
public:
  TPlacedBoxes(int Width, int Height)
      : FColumns(std::max(1, (Width + CellWidth - 1) / CellWidth)),
        FRows(std::max(1, (Height + CellHeight - 1) / CellHeight)),
        FCells(size_t(FColumns) * size_t(FRows)) {}

  bool Free(const TBox& Box) const {
    bool Free = true;
    ForCells(Box, [&](size_t Cell) {
      for (size_t I : FCells[Cell])
        if (FBoxes[I].Meets(Box)) Free = false;
    });
    return Free;
  }
  void Add(const TBox& Box) {
    FBoxes.push_back(Box);
    ForCells(Box, [&](size_t Cell) { FCells[Cell].push_back(FBoxes.size() - 1); });
  }

private:
  static constexpr int CellWidth = 32, CellHeight = 16;

  // Visits the index of every cell Box touches (Box lies inside the drawing).
  template <class TVisit>
  void ForCells(const TBox& Box, TVisit Visit) const {
    const int C0 = std::clamp(Box.X0 / CellWidth, 0, FColumns - 1);
    const int C1 = std::clamp((Box.X1 - 1) / CellWidth, 0, FColumns - 1);
    const int R0 = std::clamp(Box.Y0 / CellHeight, 0, FRows - 1);
    const int R1 = std::clamp((Box.Y1 - 1) / CellHeight, 0, FRows - 1);
    for (int R = R0; R <= R1; ++R)
      for (int C = C0; C <= C1; ++C) Visit(size_t(R) * size_t(FColumns) + size_t(C));
  }

  int FColumns, FRows;
  std::vector<std::vector<size_t>> FCells;
  std::vector<TBox> FBoxes;
};

// Lines a label may be stacked above or below its point's row.
constexpr int StackedLines = 2;

// A point placed only where its label's corner fits an int with room to
// spare: one far outside the drawing has no label in sight.
constexpr double FarAway = 1e6;

}  // namespace

std::vector<std::optional<TLabelCorner>> PlaceLabels(std::span<const TLabelRequest> Requests,
                                                     const TLabelRules& Rules) {
  std::vector<std::optional<TLabelCorner>> Placed(Requests.size());
  if (Rules.Width <= 0 || Rules.Height <= 0) return Placed;
  TPlacedBoxes Boxes(Rules.Width, Rules.Height);
  const int S = Rules.Shadow;
  for (size_t I = 0; I < Requests.size(); ++I) {
    const TLabelRequest& R = Requests[I];
    if (!(std::fabs(R.X) < FarAway && std::fabs(R.Y) < FarAway)) continue;
    // A label wider or taller than the drawing has no place in it.
    if (R.Width + S > Rules.Width || R.Height + S > Rules.Height) continue;
    const int X = int(std::floor(R.X)), Y = int(std::floor(R.Y));
    // Centred on the point's row, beside it on the right or the left.
    const int Right = X + Rules.Gap, Left = X - Rules.Gap - R.Width, Row = Y - R.Height / 2;
    const int Line = R.Height + S;
    auto Try = [&](int CornerX, int CornerY) {
      const TBox Box{CornerX, CornerY, CornerX + R.Width + S, CornerY + R.Height + S};
      if (Box.X0 < 0 || Box.Y0 < 0 || Box.X1 > Rules.Width || Box.Y1 > Rules.Height) return false;
      if (Rules.KeepFree) {
        const TFreeSquare& F = *Rules.KeepFree;
        if (CornerX <= F.X + F.Reach && F.X - F.Reach <= CornerX + R.Width && CornerY <= F.Y + F.Reach &&
            F.Y - F.Reach <= CornerY + R.Height)
          return false;
      }
      if (!Boxes.Free(Box)) return false;
      Boxes.Add(Box);
      Placed[I] = TLabelCorner{CornerX, CornerY};
      return true;
    };
    if (Try(Right, Row) || Try(Left, Row)) continue;
    for (int Lines = 1; Lines <= StackedLines; ++Lines)
      if (Try(Right, Row - Lines * Line) || Try(Right, Row + Lines * Line) || Try(Left, Row - Lines * Line) ||
          Try(Left, Row + Lines * Line))
        break;
  }
  return Placed;
}
