#pragma once
// What the window asks before the user's work could be lost, or before Save
// writes a file that is no longer the one its sphere was read from: each
// question's caption, text and answers, worked out from the document.
#include <optional>
#include <string>
#include <vector>

class TModelDocument;

struct TWorkQuestion {
  std::string Caption, Text;
  std::vector<std::string> Buttons;  // the last one is Cancel
};

// Save on a file replaced or changed since its sphere was read: "Reload",
// "Save Anyway", "Cancel".
TWorkQuestion ReplacedFileQuestion(const TModelDocument& Document);

// Before closing or loading another file: none when nothing would be lost;
// else the text names what would be (sphere values, hardpoint edits), with
// "Save" (only when the sphere changed, which is all Save can keep),
// "Discard" and "Cancel".
std::optional<TWorkQuestion> UnsavedWorkQuestion(const TModelDocument& Document);

// The export's note on what it wrote that differs from the file: empty when
// the sphere and the hardpoints written are the file's.
std::string ExportDifferenceNote(bool SphereUnsaved, bool HardpointsEdited);
