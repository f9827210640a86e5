#pragma once
// The window's repaint at the limit of the renderer: the mesh and the sphere
// of every view are drawn once (the outlines from their edge list,
// ModelOutline.h) and their picture is kept (KeptPicture.h); while only the
// hardpoints' markers or the selection change, a repaint puts the kept
// picture back and draws the markers (and the names, with ShowNames, laid
// out once per change) over it, and a repaint of an unchanged
// scene need not happen at all (Changed). The frame is byte for byte PaintScene's: where a view's
// markers could land under a later view's mesh or sphere (the views of
// "3-Views" overlap at large zoom), and in Solid and Textured (a surface
// hides the markers behind it), the scene is painted whole instead.
// Needs a current OpenGL context; making it current and swapping are the
// caller's part, as for PaintScene.
#include <array>
#include <string>
#include <vector>

#include "editor/HardpointNames.h"
#include "editor/LighterPicture.h"
#include "editor/Scene.h"
#include "gl/KeptPicture.h"
#include "model/ModelOutline.h"

class TKeptScene {
public:
  // How the last Paint made its frame.
  enum class TPaint {
    None,      // nothing painted yet
    Whole,     // every view drawn in full, nothing kept
    Made,      // mesh and sphere drawn and kept, then the markers
    FromKept,  // the kept picture put back, then the markers
    Lighter,   // every view drawn whole with the lighter outline (turning, zooming)
  };

  // PaintScene of State (the sphere, then the model of each view; State's
  // own Outline is not used: the scene has its own) at Width x Height device
  // pixels, the viewport SetupProjection's.
  void Paint(const TSceneState& State, int Width, int Height);
  // True when a Paint now would show something other than the last one:
  // anything of State or the size, the mesh, a hardpoint or the selection,
  // or the exact picture due after a lighter one.
  bool Changed(const TSceneState& State, int Width, int Height) const;
  // Forgets the kept picture and deletes its texture; the context it was
  // kept in must be current. The next Paint draws everything.
  void Release();
  // The same for a context that is gone: no call to OpenGL.
  void Forget();
  TPaint LastPaint() const { return FLastPaint; }
  // While the views turn or zoom, a big mesh is drawn lighter
  // (LighterPicture.h); tests give the rule their own clock.
  void SetClock(TLighterPicture::TClock Clock) { FLighter = TLighterPicture(std::move(Clock)); }

private:
  void DrawMarkers(const TSceneState& State) const;
  bool MarkersMeetLaterViews(const TSceneState& State, int Width, int Height) const;

  // Every edge: the first frame of a big mesh does not wait for each edge
  // to be looked up, and a surface drawn consistently lists no edge twice
  // the same way anyway.
  TModelOutline FOutline{TOutlineEdges::Every};
  THardpointNameLayer FNames;
  TLighterPicture FLighter;
  TKeptPicture FPicture;
  std::string FPaintedScene, FPaintedMarkers;        // what the last Paint showed
  std::string FKeptScene;                            // what FPicture holds; empty: nothing
  TViewOptions FPaintedView, FKeptView;              // the view's options of the two
  std::vector<std::array<float, 16>> FViewMatrices;  // the markers' matrix in each view
  float FMaxSize = 0;                                // the mesh's largest extent
  TVector FMin, FMax;                                // the mesh's bounds
  TPaint FLastPaint = TPaint::None;
};
