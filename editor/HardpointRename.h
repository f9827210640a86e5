#pragma once
// Rename Hardpoint...: the current hardpoint's name asked for in a box
// that shows and takes text, with a question before a name another
// hardpoint already has.
#include "editor/ModelDocument.h"
#include "editor/UserQuestions.h"

// Renames the current hardpoint as the step "Rename Hardpoint"; nothing when
// none is current, or when the box is cancelled or left as it was. A drag
// under way is cancelled first. A typed name the model cannot hold raises
// the name rule's error (model/HardpointName.h) and renames nothing.
void RenameCurrentHardpoint(TModelDocument& Document, const TUserQuestions& User);

// A name as the model holds it (8-bit bytes) as the text a box shows.
std::string HardpointNameAsText(const std::string& Name);
