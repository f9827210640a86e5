#pragma once
// The model as the editor loads it, shared by the window's LoadMesh and the
// command-line tool so both see the same model from the same file.
#include <string>

class TZorvObject;

// The fit size the editor draws its models at: the largest extent spans
// 2 x 0.4 = 0.8 units at zoom 100.
constexpr float EditorFitSize = 0.4f;

// LoadMesh's set-up of a freshly created model, in this order: SetLOD(LOD),
// SetTextured(false), SetWireframe(true), SetUseList(false),
// SetKeepData(true), LoadFromFile(FileName), SetFitSize(0.4); then the fit
// Scale is measured (no OpenGL), so the sphere is drawn right from the first
// paint. A fit that cannot be measured leaves Scale 0 and is raised by the
// first drawing instead: the load itself completes. The caller owns Model
// before this runs: an error from the load leaves it in place holding what
// was read (the steps after the failing one do not run).
void SetUpEditorModel(TZorvObject& Model, const std::string& FileName, int LOD = 1);

// The window caption for a loaded file: "QUELBIR Editor [" + the file name
// without its folder, letters A to Z in lower case + "]"; with Unsaved a
// "*" before the name, and a Level (its tag) after it: "QUELBIR Editor
// [*ship.iff [0001]]".
std::string EditorCaption(const std::string& FileName, bool Unsaved = false, const std::string& Level = "");
