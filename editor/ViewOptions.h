#pragma once
// How the model is shown, as one record: the window's views, a saved
// picture, `render` and `thumbnail` all carry this same record, so that a new
// option is added here once and reaches every picture unchanged.
#include <string>

#include "model/ShadedDrawing.h"

struct TViewOptions {
  int Layout = 0;                // index into ViewLayoutNames (Scene.h)
  float Angles[3] = {0, 0, 0};   // the views' turn, degrees about x, y, z
  float Scale = 1.0f;            // zoom / 100 (ZoomScale)
  bool KeepProportions = false;  // one model unit as many pixels across as up
  bool ShowSphere = false;       // the collision sphere, as if "Hide" were unticked
  bool ShowNames = false;        // "Show Names": each hardpoint's name beside its marker
  TShading Shading = TShading::Outlines;
  std::string TexturesFolder;  // where Textured finds the textures; empty: the model's own folder
  int Level = 1;               // the level of detail shown, as the window loads it
  int Width = 0, Height = 0;   // the picture's pixels; 0: the editor's client size

  bool operator==(const TViewOptions&) const = default;
};

// A zoom in percent as the views' Scale: the whole number / 100 as a 32-bit
// float, as the Scale box gives it.
inline float ZoomScale(int Percent) { return static_cast<float>(Percent / 100.0); }

// The folder Textured finds the textures in for the model from ModelFile:
// the one chosen, else the model's own.
inline std::string TexturesFolderFor(const TViewOptions& View, const std::string& ModelFile) {
  return View.TexturesFolder.empty() ? ModelFolder(ModelFile) : View.TexturesFolder;
}
