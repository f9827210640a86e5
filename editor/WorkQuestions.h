#pragma once
// What the window asks before the user's work could be lost, or before Save
// writes a file that is no longer the one its sphere was read from: each
// question's caption, text and answers, worked out from the document.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "editor/UserQuestions.h"

class TModelDocument;

struct TWorkQuestion {
  std::string Caption, Text;
  std::vector<std::string> Buttons;  // the last one is Cancel
};

// Save on a file replaced or changed since its sphere was read: "Reload",
// "Save Anyway", "Cancel".
TWorkQuestion ReplacedFileQuestion(const TModelDocument& Document);

// Before closing or loading another file: for a new model (no file yet),
// "Save Model As...", "Discard", "Cancel"; else none when nothing would be lost;
// else the text names what would be (sphere values, hardpoint edits, levels
// of detail made), with "Save" (when the sphere changed: into its file),
// "Save Model As..." (when the hardpoints changed or levels were made:
// everything shown into a new model file), "Discard" and "Cancel".
inline constexpr const char* SaveModelAsButton = "Save Model As...";
std::optional<TWorkQuestion> UnsavedWorkQuestion(const TModelDocument& Document);

// The window's caption for Document: the program's name, and once a file is
// loaded its name with "*" while any work would be lost (the sphere values,
// hardpoint edits or levels made UnsavedWorkQuestion names) and the tag of the level
// shown (EditorCaption); a new model by its mesh's name and "(new model, not
// saved)".
std::string DocumentCaption(const TModelDocument& Document);

// Loads a file again as the window loads it (its textures too).
using TReload = std::function<void(const std::string& FileName)>;

// Save as the button does it: nothing without a sphere's file; a file
// replaced or changed since it was read asks ReplacedFileQuestion first
// ("Reload" reloads it and saves nothing). True when the sphere reached the
// file.
bool SaveSphereAsking(TModelDocument& Document, const TUserQuestions& User, const TReload& Reload);

// Save with levels of detail made that no file holds: Save writes only the
// sphere, so it asks first: "Save Model As...", "Save Sphere", "Cancel".
TWorkQuestion LevelsSaveQuestion(const TModelDocument& Document);

// Save as the button does it: a new model has no file to write its sphere
// into, so it is saved as Save Model As... saves (SaveModelAs, true when it
// wrote the file); any other model as SaveSphereAsking, after
// LevelsSaveQuestion when levels made are unsaved (the levels stay unsaved
// work when only the sphere is saved).
bool SaveAsking(TModelDocument& Document, const TUserQuestions& User, const TReload& Reload,
                const std::function<bool()>& SaveModelAs);

// Before closing or loading another file: asks UnsavedWorkQuestion, if
// anything would be lost; SaveModelAs is the window's Save Model As...
// (true when it wrote the file). True when the work was saved, discarded, or
// there was none; false for Cancel, or a save that did not happen.
bool MayDiscardWork(TModelDocument& Document, const TUserQuestions& User, const TReload& Reload,
                    const std::function<bool()>& SaveModelAs);

// The export's note on what it wrote that differs from the file: empty when
// the sphere and the hardpoints written are the file's.
std::string ExportDifferenceNote(bool SphereUnsaved, bool HardpointsEdited);
