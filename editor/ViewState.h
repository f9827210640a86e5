#pragma once
// The window's views beside the document, and what one repaint of both
// reads.
#include <array>
#include <optional>

#include "editor/ModelDocument.h"
#include "editor/Scene.h"
#include "editor/ViewOptions.h"

// The views' own state beside the document: their options (the zoom 0
// until the Scale box first gives one) and the pointer.
struct TViewState : TViewOptions {
  TViewState() { Scale = 0; }
  // The pointer over the drawing while no button is held or during a drag,
  // in the viewport's pixels; none while it is elsewhere.
  std::optional<std::array<int, 2>> Pointer;
};

// The folder Textured finds the textures in for Document under View: the
// one chosen, else the folder of the file the user knows the model by (a new
// model's mesh).
std::string ShownTexturesFolder(const TModelDocument& Document, const TViewOptions& View);

// Everything one repaint of Document under View reads.
TSceneState MakeSceneState(const TModelDocument& Document, const TViewState& View);
