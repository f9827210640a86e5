#pragma once
// The document as the window shows it, as a picture request: the views'
// options unchanged, the level shown, the sphere's values and the hardpoints
// as edited, the selected ones yellow.
#include "editor/ModelDocument.h"
#include "editor/ScenePicture.h"
#include "editor/ViewOptions.h"

// Width and Height of View are the picture's size.
TPictureRequest DocumentPictureRequest(const TModelDocument& Document, const TViewOptions& View);
