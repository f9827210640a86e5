#pragma once
// Import Mesh... in the window: another tool's mesh opened as a new model
// that has no file yet. The import is the command line's (MeshImport), the
// model it makes is written into a private file of the program's own, and
// the document shows it as a new model.
#include <ostream>
#include <string>

#include "editor/ModelDocument.h"

// MeshFile imported into Document as a new model (LoadNewModel), with the
// import's notes on Notes. A mesh the import refuses changes nothing and
// raises the import's error.
void OpenMeshAsNewModel(TModelDocument& Document, const std::string& MeshFile, std::ostream& Notes);
