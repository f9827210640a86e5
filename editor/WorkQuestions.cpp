#include "editor/WorkQuestions.h"

#include <filesystem>

#include "editor/ModelDocument.h"

namespace {

std::string NameOf(const std::string& FileName) { return std::filesystem::path(FileName).filename().string(); }

}  // namespace

TWorkQuestion ReplacedFileQuestion(const TModelDocument& Document) {
  return {"Save",
          NameOf(Document.SphereFile()) +
              " was replaced or changed on disk since its sphere was read.\n"
              "Reload it (losing the unsaved changes), save the sphere into it anyway, or cancel?",
          {"Reload", "Save Anyway", "Cancel"}};
}

std::optional<TWorkQuestion> UnsavedWorkQuestion(const TModelDocument& Document) {
  const bool Sphere = Document.SphereUnsaved(), Hardpoints = Document.HardpointsUnsaved();
  if (!Sphere && !Hardpoints) return std::nullopt;
  TWorkQuestion Question{"Unsaved Changes", NameOf(Document.FileName()) + " has unsaved changes:", {}};
  if (Sphere) Question.Text += "\n- the sphere values, which differ from the file's";
  if (Hardpoints) Question.Text += "\n- hardpoint edits, which are in no file and were not copied or exported";
  if (Sphere && Hardpoints)
    Question.Text += "\nSave the sphere values (hardpoint edits cannot be saved), discard the changes, or cancel?";
  else if (Sphere)
    Question.Text += "\nSave them, discard them, or cancel?";
  else
    Question.Text += "\nDiscard them, or cancel?";
  if (Sphere) Question.Buttons.push_back("Save");
  Question.Buttons.push_back("Discard");
  Question.Buttons.push_back("Cancel");
  return Question;
}

std::string ExportDifferenceNote(bool SphereUnsaved, bool HardpointsEdited) {
  std::string Note;
  if (SphereUnsaved) Note += "The sphere exported is the one shown, which differs from the file's (not saved).\n";
  if (HardpointsEdited) Note += "The hardpoints exported are the ones shown, which differ from the file's.\n";
  return Note;
}
