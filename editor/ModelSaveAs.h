#pragma once
// Save Model As...: the document's work written into a new model file.
#include <optional>
#include <string>

#include "editor/ModelDocument.h"
#include "editor/UserQuestions.h"

// The levels, hardpoints and sphere shown, written into Output as a new
// model file made from the file the model is read from
// (WriteModelFileWithHardpoints); the file loaded itself is refused. The
// hardpoints and levels written count as kept: closing asks no more about
// them. A new model's mesh is refused as Output as well; the model becomes
// Output's, which is then shown. What the window says once it is written
// (SavedModelMessage).
std::string SaveModelAs(TModelDocument& Document, const std::string& Output);
// What the window says once that file is written; NowShown: it was a new
// model's, and the window now shows it; WithLevels: it holds levels of
// detail made in the window.
std::string SavedModelMessage(const std::string& Output, bool NowShown = false, bool WithLevels = false);

// Save Model As... as the window runs it: the file asked for in the models'
// save dialog, written by SaveModelAs. What the window then says; nothing
// without a model or on Cancel.
std::optional<std::string> SaveModelAsAsking(TModelDocument& Document, const TUserQuestions& User);
