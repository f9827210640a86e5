#pragma once
// Save Picture... of the document as the window shows it: the views'
// options unchanged, the level shown, the sphere's values and the hardpoints
// as edited, the selected ones yellow, and the textures Textured draws.
#include <optional>
#include <string>

#include "editor/ModelDocument.h"
#include "editor/ScenePicture.h"
#include "editor/UserQuestions.h"
#include "editor/ViewOptions.h"

// The picture of Document under View, Width x Height pixels (the drawing's
// size).
TPictureRequest DocumentPictureRequest(const TModelDocument& Document, const TViewOptions& View, int Width, int Height);

// The PNG file Save Picture... writes, asked for in the pictures' save
// dialog; nothing without a model or on Cancel. A name that does not end in
// ".png" raises CheckPictureFileName's error.
std::optional<std::string> AskPictureFile(const TModelDocument& Document, const TUserQuestions& User);
