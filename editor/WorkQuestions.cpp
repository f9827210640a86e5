#include "editor/WorkQuestions.h"

#include <algorithm>
#include <filesystem>

#include "editor/ModelDocument.h"
#include "model/EditorModel.h"
#include "model/TZorvObject.h"

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

static std::string NewModelName(const TModelDocument& Document) {
  return NameOf(Document.MeshFile()) + " (new model, not saved)";
}

std::optional<TWorkQuestion> UnsavedWorkQuestion(const TModelDocument& Document) {
  // A new model is in no file at all: only a new model file keeps it.
  if (Document.NewModel())
    return TWorkQuestion{
        "Unsaved Changes",
        NewModelName(Document) + " is in no model file yet.\nSave it into a new model file, discard it, or cancel?",
        {SaveModelAsButton, "Discard", "Cancel"}};
  const bool Sphere = Document.SphereUnsaved(), Hardpoints = Document.HardpointsUnsaved(),
             Levels = Document.LevelsUnsaved();
  if (!Sphere && !Hardpoints && !Levels) return std::nullopt;
  TWorkQuestion Question{"Unsaved Changes", NameOf(Document.ShownFile()) + " has unsaved changes:", {}};
  if (Sphere) Question.Text += "\n- the sphere values, which differ from the file's";
  if (Hardpoints) Question.Text += "\n- hardpoint edits, which are in no file and were not copied or exported";
  if (Levels) Question.Text += "\n- levels of detail made, which are in no file";
  // Save keeps the sphere in its file; Save Model As... keeps the
  // hardpoints and the levels, with the sphere shown, in a new model file.
  const bool NewFile = Hardpoints || Levels;
  if (Sphere && NewFile)
    Question.Text +=
        "\nSave the sphere values, save everything shown into a new model file, discard the changes, or cancel?";
  else if (Sphere)
    Question.Text += "\nSave them, discard them, or cancel?";
  else
    Question.Text += "\nSave them into a new model file, discard them, or cancel?";
  if (Sphere) Question.Buttons.push_back("Save");
  if (NewFile) Question.Buttons.push_back(SaveModelAsButton);
  Question.Buttons.push_back("Discard");
  Question.Buttons.push_back("Cancel");
  return Question;
}

std::string DocumentCaption(const TModelDocument& Document) {
  if (Document.FileName().empty()) return "QUELBIR Editor";
  std::string Level;
  if (const TZorvObject* Model = Document.Model()) {
    const TModelLevels& Levels = Model->Levels();
    const int Shown = Levels.LoadedIndex();
    if (Shown >= 0 && Shown < int(Levels.Tags.size())) Level = Levels.Tags[size_t(Shown)];
  }
  // A new model's caption says that it has no file; that is its unsaved work.
  if (Document.NewModel()) return EditorCaption(NewModelName(Document), false, Level);
  return EditorCaption(Document.ShownFile(),
                       Document.SphereUnsaved() || Document.HardpointsUnsaved() || Document.LevelsUnsaved(), Level);
}

bool SaveSphereAsking(TModelDocument& Document, const TUserQuestions& User, const TReload& Reload) {
  if (Document.SphereFile().empty()) return false;
  if (Document.SphereFileReplaced()) {
    // Another file by the name, or this one changed by another program: the
    // sphere shown was not read from what is on disk now.
    const TWorkQuestion Question = ReplacedFileQuestion(Document);
    const int Answer = User.Ask(Question.Caption, Question.Text, Question.Buttons);
    if (Answer == 0) Reload(Document.SphereFile());
    if (Answer != 1) return false;
    Document.SaveSphere(/*EvenIfReplaced=*/true);
    return true;
  }
  Document.SaveSphere();
  return true;
}

TWorkQuestion LevelsSaveQuestion(const TModelDocument& Document) {
  return {"Save",
          "Save writes only the sphere into " + NameOf(Document.ShownFile()) +
              ", which keeps its own levels of detail; the levels made go into a new model file.\n"
              "Save everything shown into a new model file, save only the sphere, or cancel?",
          {SaveModelAsButton, "Save Sphere", "Cancel"}};
}

bool SaveAsking(TModelDocument& Document, const TUserQuestions& User, const TReload& Reload,
                const std::function<bool()>& SaveModelAs) {
  if (Document.NewModel()) return SaveModelAs();
  if (Document.LevelsUnsaved() && !Document.SphereFile().empty()) {
    // The file loaded never takes levels: Save must not pass for saving them.
    const TWorkQuestion Question = LevelsSaveQuestion(Document);
    const int Answer = User.Ask(Question.Caption, Question.Text, Question.Buttons);
    if (Answer == 0) return SaveModelAs();
    if (Answer != 1) return false;
  }
  return SaveSphereAsking(Document, User, Reload);
}

bool MayDiscardWork(TModelDocument& Document, const TUserQuestions& User, const TReload& Reload,
                    const std::function<bool()>& SaveModelAs) {
  const std::optional<TWorkQuestion> Question = UnsavedWorkQuestion(Document);
  if (!Question) return true;
  const int Answer = User.Ask(Question->Caption, Question->Text, Question->Buttons);
  const std::string& Chosen = Question->Buttons[size_t(std::clamp(Answer, 0, int(Question->Buttons.size()) - 1))];
  if (Chosen == "Save") return SaveSphereAsking(Document, User, Reload);
  if (Chosen == SaveModelAsButton) return SaveModelAs();
  return Chosen == "Discard";
}

std::string ExportDifferenceNote(bool SphereUnsaved, bool HardpointsEdited) {
  std::string Note;
  if (SphereUnsaved) Note += "The sphere exported is the one shown, which differs from the file's (not saved).\n";
  if (HardpointsEdited) Note += "The hardpoints exported are the ones shown, which differ from the file's.\n";
  return Note;
}
