#pragma once
// What the mouse does on the drawing, without a toolkit: a left-button press
// on a selected hardpoint's marker moves every selected hardpoint by the same
// offset in the plane of the view, anywhere else it turns the views; a press
// and release without moving is a click, which picks the marker under it
// (alone, or with Ctrl in or out of the selection, or with Shift into it).
// Each drag has press, move, release and cancel: cancel (Escape, or an undo
// during the drag) puts the hardpoints or the views back and leaves nothing
// in the history. Positions are the drawing's pixels, x to the right and y
// down.
#include "editor/ModelDocument.h"
#include "editor/Scene.h"
#include "editor/ViewPicking.h"
#include "editor/ViewState.h"

struct TPointer {
  int X = 0, Y = 0;
  // Ctrl held: the hardpoint pressed snaps to the nearest vertex (the others
  // follow by the same offset); a click takes its marker in or out of the
  // selection.
  bool Snap = false;
  bool Extend = false;  // Shift held: a click adds its marker to the selection
};

class TDrawingTools {
public:
  TDrawingTools(TModelDocument& Document, TViewState& View) : FDocument(Document), FView(View) {}
  TDrawingTools(const TDrawingTools&) = delete;
  TDrawingTools& operator=(const TDrawingTools&) = delete;

  // How near (pixels) a press must come to a marker's origin to pick or drag it.
  static constexpr double MarkerReach = 6;

  // The drawing's size in pixels, as the picking needs it.
  void SetDrawingSize(int Width, int Height) { FWidth = Width, FHeight = Height; }

  // A press of the left button starts a drag; any other button ends the one
  // under way (a moved hardpoint keeps its place, as one step).
  void Press(const TPointer& At, bool LeftButton);
  void Move(const TPointer& At);
  // Ends the drag (the hardpoints moved are one step); a release with the
  // pointer never more than two pixels from the press is a click, which puts
  // back any move and selects the marker under it; on no marker it changes
  // nothing.
  void Release(const TPointer& At, bool LeftButton);
  // Puts back what the drag under way changed; nothing enters the history.
  void Cancel();

  bool Dragging() const { return FDragging; }
  bool MovingHardpoint() const { return !FMoving.empty(); }
  bool Turning() const { return FDragging && FMoving.empty(); }
  int DragStartX() const { return FPressX; }
  int DragStartY() const { return FPressY; }

private:
  void EndMove();

  TModelDocument& FDocument;
  TViewState& FView;
  int FWidth = 1, FHeight = 1;
  bool FDragging = false;
  bool FPressMoved = false;
  int FPressX = 0, FPressY = 0;
  float FAnglesBefore[3] = {0, 0, 0};
  // The hardpoints moved and where each started, the one pressed first.
  struct TMoved {
    THardpointId Id = 0;
    TModelPoint Origin{};
  };
  std::vector<TMoved> FMoving;
  TViewTransform FDragView;
};
