#pragma once
// The scene as a picture, without a window: a model file painted on the
// headless OpenGL context exactly as FormPaint paints it, and written as a
// PNG. For `quelbir-cli render` and for machines without a display.
#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "editor/ViewOptions.h"
#include "model/ShadedDrawing.h"
#include "model/THardpoint.h"
#include "runtime/Exception.h"

// The colour buffer of the current context, RGBA, top row first.
struct TFramePixels {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Rgba;
  // The pixel at column X, row Y counted from the top, as 0xRRGGBB.
  uint32_t At(int X, int Y) const;
};
TFramePixels GrabFrame(int Width, int Height);

// A picture: the view's options (Width and Height 0: the editor's client
// size), the model file and what the window shows of it besides.
struct TPictureRequest : TViewOptions {
  std::string ModelFile;
  // The window's own sphere values, which may differ from the file's until
  // they are saved; unset: the sphere stored in the file.
  std::optional<std::array<float, 4>> Sphere;  // X, Y, Z, the "Diameter:" value
  std::ostream* Notes = nullptr;               // receives the note on textures not drawn
  // The window's hardpoints as edited, drawn instead of the file's, with the
  // one at SelectedHardpoint and those at SelectedHardpoints in yellow (-1
  // and none: none); unset: the file's, the first one yellow.
  std::optional<std::vector<THardpoint>> Hardpoints;
  int SelectedHardpoint = 0;
  std::vector<int32_t> SelectedHardpoints;
};

// Loads the model as the window's load does (and its sphere, when the sphere
// is to be drawn: a model without one still gives its picture), paints the
// chosen layout as the window shows it from its second tick on (the first
// paint's face state in place) on a headless context of the requested size
// (context slot 7, so a window's or a caller's slot stays untouched) and
// returns its pixels. Raises the load's errors, and a clear error when no
// headless OpenGL is available. In Textured, the note on the textures that
// could not be drawn (TFaceTextures::Note) goes to Notes, when there is one.
TFramePixels RenderModelFrame(const TPictureRequest& Request);

// RenderModelFrame, written to PngFile as an opaque RGB picture.
void RenderModelPicture(const TPictureRequest& Request, const std::string& PngFile);

// A name chosen for a picture that would not hold what it says.
QUELBIR_EXCEPTION(EPictureName);

// The window's pictures are PNG data: a name ending in anything but ".png"
// (in any case) would give a file whose extension lies about its content, so
// it is refused with EPictureName before anything is drawn or written.
void CheckPictureFileName(const std::string& FileName);
