#pragma once
// Export... in the window: the document's model as the window shows it,
// written as the command line's export writes a model file.
#include <string>

#include "editor/ModelDocument.h"
#include "editor/UserQuestions.h"
#include "editor/ViewOptions.h"
#include "interchange/ModelExport.h"

// What the export of Document under View writes: the level shown, the
// sphere and the hardpoints as edited (which may differ from the file's) and
// the textures Textured draws.
TExportOptions DocumentExportOptions(const TModelDocument& Document, const TViewOptions& View);

// Export... as the window runs it: the file asked for in the exports' save
// dialog, written with DocumentExportOptions; the hardpoints written count
// as kept. Returns what is to be said: what the export left out, and what it
// wrote that differs from the file (ExportDifferenceNote); empty when
// nothing is, and without a model or on Cancel.
std::string ExportAsking(TModelDocument& Document, const TViewOptions& View, const TUserQuestions& User);
