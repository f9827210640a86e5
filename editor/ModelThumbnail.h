#pragma once
// A model file as a small square picture for file managers: one view of the
// editor's drawing, with the model's outline centred and filling the square
// instead of sitting at the window's fixed place and zoom.
#include <optional>
#include <ostream>
#include <string>

#include "editor/ScenePicture.h"
#include "runtime/Exception.h"

class TZorvObject;

QUELBIR_EXCEPTION(EThumbnail);  // "Thumbnail: " + what was wrong

// The thumbnail's view when none is asked for: "Top View" shows a craft's
// outline best.
constexpr int DefaultThumbnailLayout = 1;
// The largest side accepted, as for the window's pictures.
constexpr int MaxThumbnailSize = 16384;

// A thumbnail: the view's options as for any picture, of which it takes the
// layout (a single view), the level, the display mode and the textures
// folder; Width is the side of its square.
struct TThumbnailRequest : TViewOptions {
  TThumbnailRequest() {
    Layout = DefaultThumbnailLayout;
    Width = Height = 256;
  }
  std::string ModelFile;
  // False: Solid, or Textured when the textures folder holds every texture
  // the model's faces name (ThumbnailShading); true: Shading.
  bool ShadingChosen = false;
  std::ostream* Notes = nullptr;  // the note on textures not drawn, as for pictures
};

// The mode a thumbnail is painted in: the one asked for, else Textured when
// Folder holds the model's textures (FolderHoldsTextures), else Solid.
TShading ThumbnailShading(const TThumbnailRequest& Request, const TZorvObject& Model, const std::string& Folder);

// What a view of the thumbnail shows, in the view's screen units (the fit
// scale included): the square's centre and half side, and how deep the
// drawing reaches either way, so that nothing is clipped.
struct TThumbnailFrame {
  double CenterX = 0, CenterY = 0, HalfSide = 1;
  double Depth = 1;
};

// The mesh's usable faces, as drawn, measured along the view's screen axes;
// the square holds the larger extent with a small margin. A mesh without
// faces, or one that lies on a single point, gets the window's -1..1 square
// about that point. Needs the model's fit Scale measured (SetUpEditorModel).
TThumbnailFrame MeasureThumbnailFrame(const TZorvObject& Model, int Layout);

// Loads the model as the window does, before any OpenGL is set up, so that a
// broken file fails at once with the load's error; then paints the view on
// a headless context of Size x Size pixels. Raises EThumbnail for a size
// outside 1..MaxThumbnailSize or a layout that is not a single view.
TFramePixels RenderModelThumbnail(const TThumbnailRequest& Request);

// RenderModelThumbnail written to PngFile as an opaque RGB picture. PngFile is
// checked first (never the model file, nor a folder, pipe or device), then
// the picture is painted and encoded in memory and written into PngFile
// itself, the same file on disk, as thumbnail services read it back through
// the descriptor they opened before (runtime/OutputFiles.h WriteFileInPlace).
// A model that does not load leaves PngFile as it was; a write that fails
// leaves it empty.
void WriteModelThumbnail(const TThumbnailRequest& Request, const std::string& PngFile);
