#pragma once
// Make Levels of Detail...: the levels in all and the ratio asked for in one
// box, the levels made in the document, and the note the window shows.
#include <optional>
#include <string>

#include "editor/ModelDocument.h"
#include "editor/UserQuestions.h"

// Asks for the levels in all ("0000" included) and the ratio of faces from
// one level to the next, then makes them as the step "Make Levels of
// Detail" (TModelDocument::MakeLevels). The note to show: the table of the
// levels made, in the words of the command line's `levels`. Nothing when the
// box is cancelled or no model is shown. A text that is not a number raises
// EConvertError; the limits of both numbers are the levels library's, whose
// errors pass unchanged, as do a model's that has no level container.
std::optional<std::string> MakeLevelsAsking(TModelDocument& Document, const TUserQuestions& User);
