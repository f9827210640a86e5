// Levels of detail made in the window's document: one step, shown at once,
// undone to the levels before and redone as made; unsaved work that Save
// does not pass for saved, until Save Model As... writes them with the
// hardpoints and the sphere shown. The file loaded is never written but for
// its sphere.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "check/ModelCheck.h"
#include "editor/MakeLevelsFlow.h"
#include "editor/ModelSaveAs.h"
#include "editor/WindowCommands.h"
#include "editor/WorkQuestions.h"
#include "levels/LevelTable.h"
#include "levels/LevelsFile.h"
#include "model/SampleModel.h"
#include "model/SphereFile.h"
#include "model/TZorvObject.h"
#include "tests/support/ErrorMessage.h"
#include "tests/support/TempDir.h"

namespace {

// Level Lod of File as plain arrays.
TModelMesh LevelOf(const std::string& File, int Lod) {
  TZorvObject Model(TDisplayListPolicy::None);
  Model.SetKeepData(true);
  Model.SetLOD(Lod);
  Model.LoadFromFile(File);
  return PlainMesh(Model.Mesh());
}

template <class T>
bool SameRecords(const std::vector<T>& A, const std::vector<T>& B) {
  return A.size() == B.size() && (A.empty() || std::memcmp(A.data(), B.data(), A.size() * sizeof(T)) == 0);
}
bool SameMesh(const TModelMesh& A, const TModelMesh& B) {
  return SameRecords(A.Vertices, B.Vertices) && SameRecords(A.Normals, B.Normals) &&
         SameRecords(A.FaceVertices, B.FaceVertices) && SameRecords(A.Faces, B.Faces);
}

std::vector<std::string> LevelMenu(const TModelDocument& Document) {
  const TViewState View;
  std::vector<std::string> Captions;
  for (const TDrawingMenuEntry& Entry : DrawingMenuEntries({Document, View}))
    if (Entry.Command == TCommandId::LevelOfDetail && Entry.Submenu)
      for (const TDrawingMenuEntry& Item : Entry.Items) Captions.push_back(Item.Caption);
  return Captions;
}

// Questions answered from a list: the box of texts by Texts (nothing:
// Cancel), each question by Answers' next button.
struct TAnswers {
  std::optional<std::vector<std::string>> Texts;
  std::vector<TInputField> Asked{};
  std::vector<std::string> Questions{};
  int Button = 0;
  TUserQuestions User() {
    TUserQuestions User;
    User.InputTexts = [this](const std::string& Caption, const std::vector<TInputField>& Fields) {
      EXPECT_EQ(Caption, "Make Levels of Detail");
      Asked = Fields;
      return Texts;
    };
    User.Ask = [this](const std::string&, const std::string& Text, const std::vector<std::string>&) {
      Questions.push_back(Text);
      return Button;
    };
    return User;
  }
};

TEST(MakeLevels, OneStepShownAtOnceUnsavedUntilSaveModelAsWritesThem) {
  TempDir Dir;
  const std::string File = Dir.File("ship.iff"), Out = Dir.File("made.iff");
  WriteSampleModel(File);
  const std::vector<uint8_t> Loaded = ReadFileBytes(File);
  TModelDocument Document;
  Document.Load(File);
  const THardpointMatrix Moved{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.5f, 0.25f, 2, 1};
  Document.ChangeMatrix(Document.Hardpoints()[0].Id, Moved, "Hardpoint Edit");
  Document.ChangeSphere({0.5f, 0, 0, 9}, "Sphere Values");
  const std::vector<std::string> Own{"0000", "0001", "0002"}, Five{"0000", "0001", "0002", "0003", "0004"};
  ASSERT_EQ(LevelMenu(Document), Own);

  TAnswers Answers{std::vector<std::string>{"5", " 0.5 "}};
  const std::optional<std::string> Note = MakeLevelsAsking(Document, Answers.User());
  ASSERT_EQ(Answers.Asked.size(), 2u);
  EXPECT_EQ(Answers.Asked[0].DefaultText, "3");
  EXPECT_EQ(Answers.Asked[1].DefaultText, "0.5");
  // What the levels library makes of the file's level "0000", as `levels`
  // prints it.
  TLevelOptions Options;
  Options.Levels = 5;
  const TModelMesh Finest = ReadFinestLevel(File);
  const std::vector<TMadeLevel> Made = MakeLevels(Finest, Options);
  EXPECT_EQ(Note, "Made the levels of detail of ship.iff; Save Model As... writes them into a new model file.\n\n" +
                      LevelTable(int64_t(Finest.Faces.size()), Made));
  EXPECT_EQ(LevelMenu(Document), Five);
  EXPECT_TRUE(SameMesh(LevelOf(Document.FileName(), 1), Made[0].Mesh));
  EXPECT_EQ(Document.Hardpoints()[0].Matrix, Moved);  // the document's hardpoints stay the ones shown
  EXPECT_EQ(Document.History().UndoName(), "Make Levels of Detail");
  EXPECT_TRUE(Document.LevelsUnsaved());

  // Undo shows the file's own levels, redo the made ones again, from the
  // same file: nothing is made twice. The hardpoint and sphere edits stay.
  const std::string MadeFile = Document.FileName();
  ASSERT_TRUE(Document.Undo());
  EXPECT_EQ(LevelMenu(Document), Own);
  EXPECT_EQ(Document.FileName(), File);
  EXPECT_TRUE(SameMesh(LevelOf(File, 1), LevelOf(Document.FileName(), 1)));
  EXPECT_FALSE(Document.LevelsUnsaved());
  EXPECT_EQ(Document.Hardpoints()[0].Matrix, Moved);
  ASSERT_TRUE(Document.Redo());
  EXPECT_EQ(LevelMenu(Document), Five);
  EXPECT_EQ(Document.FileName(), MadeFile);
  EXPECT_TRUE(Document.LevelsUnsaved());

  // Save asks, as it writes only the sphere: the levels stay unsaved work,
  // and closing says so.
  Answers.Button = 1;  // "Save Sphere"
  EXPECT_TRUE(SaveAsking(Document, Answers.User(), nullptr, [] {
    ADD_FAILURE() << "Save Model As... chosen";
    return false;
  }));
  EXPECT_EQ(Answers.Questions,
            std::vector<std::string>{"Save writes only the sphere into ship.iff, which keeps its own levels of "
                                     "detail; the levels made go into a new model file.\nSave everything shown into a "
                                     "new model file, save only the sphere, or cancel?"});
  EXPECT_TRUE(Document.LevelsUnsaved());
  const std::optional<TWorkQuestion> Closing = UnsavedWorkQuestion(Document);
  ASSERT_TRUE(Closing);
  EXPECT_EQ(Closing->Text,
            "ship.iff has unsaved changes:\n- hardpoint edits, which are in no file and were not copied or exported\n"
            "- levels of detail made, which are in no file\nSave them into a new model file, discard them, or cancel?");
  // Sixteen bytes of the file loaded changed: its sphere's.
  const std::vector<uint8_t> Saved = ReadFileBytes(File);
  ASSERT_EQ(Saved.size(), Loaded.size());
  size_t First = Saved.size(), Last = 0;
  for (size_t I = 0; I < Saved.size(); ++I)
    if (Saved[I] != Loaded[I]) First = std::min(First, I), Last = I;
  EXPECT_LT(Last - First, 16u);

  EXPECT_EQ(SaveModelAs(Document, Out),
            "Wrote the model with the levels of detail made, the hardpoints and the sphere shown to \"" + Out +
                "\". The window keeps showing the open file, which is unchanged.");
  EXPECT_FALSE(Document.LevelsUnsaved());
  EXPECT_FALSE(UnsavedWorkQuestion(Document));
  EXPECT_EQ(ReadFileBytes(File), Saved);
  int Errors = 0;
  for (const TFinding& Finding : CheckModelFile(Out)) Errors += Finding.Code->Severity == TSeverity::Error;
  EXPECT_EQ(Errors, 0);
  EXPECT_TRUE(SameMesh(LevelOf(Out, 0), Finest));
  for (int Lod = 1; Lod < 5; ++Lod) EXPECT_TRUE(SameMesh(LevelOf(Out, Lod), Made[size_t(Lod - 1)].Mesh)) << Lod;
  TModelDocument Reread;
  Reread.Load(Out);
  EXPECT_EQ(Reread.Hardpoints()[0].Matrix, Moved);
  EXPECT_EQ(Reread.Sphere(), (TSphereValues{0.5f, 0, 0, 9}));
  // The file loaded is refused as the new file, also while the model is
  // read from the made levels' file.
  EXPECT_EQ(MessageOf([&] { SaveModelAs(Document, File); }), File + " is the model file itself; choose another name");
}

TEST(MakeLevels, WhatCannotBeMadeIsSaidAndChangesNothing) {
  TempDir Dir;
  const std::string Single = Dir.File("single.iff"), Sample = Dir.File("sample.iff");
  WriteSampleSingleMeshModel(Single);
  WriteSampleModel(Sample);
  const struct {
    std::string File;
    std::optional<std::vector<std::string>> Texts;
    std::string Message;
  } Cases[] = {
      {Single, std::vector<std::string>{"3", "0.5"}, Single + " holds a single mesh and no levels of detail to add to"},
      {Sample, std::vector<std::string>{"0", "0.5"}, "A model has 1 to 10000 levels of detail, not 0"},
      {Sample, std::vector<std::string>{"3", "1"},
       "The ratio of faces from one level to the next lies between 0 and 1"},
      {Sample, std::vector<std::string>{"3.5", "0.5"}, "'3.5' is not a valid whole number of levels"},
      {Sample, std::vector<std::string>{"3", "0,5"}, "'0,5' is not a valid floating point value"},
      {Sample, std::nullopt, "(nothing raised)"},  // Cancel
  };
  for (const auto& Case : Cases) {
    TModelDocument Document;
    Document.Load(Case.File);
    const std::vector<std::string> Levels = Document.Model()->Levels().Tags;
    TAnswers Answers{Case.Texts};
    EXPECT_EQ(MessageOf([&] { EXPECT_FALSE(MakeLevelsAsking(Document, Answers.User())); }), Case.Message);
    EXPECT_EQ(Document.FileName(), Case.File);
    EXPECT_EQ(Document.Model()->Levels().Tags, Levels);
    EXPECT_FALSE(Document.History().CanUndo());
  }
}

}  // namespace
