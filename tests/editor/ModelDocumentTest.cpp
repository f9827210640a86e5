// The document behind the window, and the drawing's tools on it, without a
// display: loads are whole or nothing, the history names hardpoints by their
// identity, Save keeps the work and writes only the file it read, a drag is
// one step that Escape or an undo puts back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <tuple>

#include "editor/DocumentPicture.h"
#include "editor/DrawingTools.h"
#include "editor/ModelDocument.h"
#include "editor/ModelSaveAs.h"
#include "editor/WorkQuestions.h"
#include "model/SphereFile.h"
#include "model/TZorvObject.h"
#include "tests/support/BoxMesh.h"
#include "tests/support/ErrorMessage.h"
#include "tests/support/TempDir.h"

namespace {

THardpointMatrix At(float X, float Y, float Z) { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, X, Y, Z, 1}; }

class ModelDocumentTest : public ::testing::Test {
protected:
  TempDir Dir;
  std::string File = Dir.File("doc.iff");
  TModelDocument Document;
  std::vector<unsigned> Told;

  // A box of extent 0.8 (fit Scale 1), hardpoints "gun" and "engine", and
  // the sphere (0, 0, 0, Radius).
  void WriteModel(const std::string& Name, float Radius, const std::string& FirstName = "gun") {
    const TSampleSphere Sphere{{0, 0, 0}, Radius, false};
    WriteLodModel(Name, {Box({-0.4f, -0.4f, -0.4f}, {0.4f, 0.4f, 0.4f})},
                  {{FirstName, At(0.2f, 0.1f, 0)}, {"engine", At(-0.2f, -0.3f, 0.3f)}}, &Sphere);
  }
  void SetUp() override {
    WriteModel(File, 0.5f);
    Document.Observe([this](unsigned Changes) { Told.push_back(Changes); });
    Document.Load(File);
  }
  THardpointId Id(int Index) { return Document.Hardpoints()[size_t(Index)].Id; }
  float X(int Index) { return Document.Hardpoints()[size_t(Index)].Matrix[12]; }
  float FileDiameter() {
    float Center[3], Diameter;
    bool Tree;
    ReadSphere(File, Center, Diameter, Tree);
    return Diameter;
  }
};

TEST_F(ModelDocumentTest, ALoadShowsTheWholeFileAndOneWhoseModelFailsChangesNothing) {
  EXPECT_EQ(Told, std::vector<unsigned>{TModelDocument::Everything});
  EXPECT_EQ(Document.FileName(), File);
  EXPECT_EQ(Document.SphereFile(), File);
  EXPECT_EQ(Document.SphereDiameter(), 0.5f);
  ASSERT_EQ(Document.Hardpoints().size(), 2u);
  EXPECT_EQ(Document.Selected(), 0);
  EXPECT_EQ(MakeSceneState(Document, TViewState()).SelectedHardpoints, std::vector<int32_t>{0});
  Document.ChangeMatrix(Id(1), At(1, 1, 1), "Hardpoint Edit");

  const std::string Broken = Dir.File("broken.iff");
  WriteFileBytes(Broken, {'N', 'O', 'T', ' ', 'I', 'F', 'F', '!', 0, 0, 0, 0});
  EXPECT_FALSE(MessageOf([&] { Document.Load(Broken); }).empty());
  EXPECT_EQ(Document.FileName(), File);
  EXPECT_EQ(Document.Hardpoints()[1].Matrix, At(1, 1, 1));
  EXPECT_EQ(MakeSceneState(Document, TViewState()).Hardpoints.size(), 2u);
  EXPECT_EQ(Document.History().UndoName(), "Hardpoint Edit");
}

// A model without a sphere is shown, but the sphere (and the file Save
// writes) stays the one shown before.
TEST_F(ModelDocumentTest, AModelWithoutASphereIsShownWithThePreviousSphere) {
  Document.ChangeSphere({1, 2, 3, 4}, "Sphere Values");
  const std::string NoSphere = Dir.File("nosphere.iff");
  WriteLodModel(NoSphere, {Box({0, 0, 0}, {1, 1, 1})}, {{"other", At(0, 0, 0)}}, nullptr);
  Told.clear();
  EXPECT_EQ(MessageOf([&] { Document.Load(NoSphere); }), "TIffReader: Form (COLL) doesn't exist!");
  EXPECT_EQ(Told, std::vector<unsigned>{TModelDocument::Everything & ~TModelDocument::SphereChanged});
  EXPECT_EQ(Document.FileName(), NoSphere);
  ASSERT_EQ(Document.Hardpoints().size(), 1u);
  EXPECT_EQ(Document.Hardpoints()[0].Name, "other");
  EXPECT_EQ(Document.SphereFile(), File);
  EXPECT_EQ(Document.SphereDiameter(), 4.0f);
  EXPECT_FALSE(Document.History().CanUndo());
  const auto Before = ReadFileBytes(NoSphere);
  Document.SaveSphere();
  EXPECT_EQ(ReadFileBytes(NoSphere), Before);
  EXPECT_EQ(FileDiameter(), 4.0f);
}

TEST_F(ModelDocumentTest, StepsFindTheirHardpointByIdentityWhateverWasAddedOrRemoved) {
  const THardpointId Engine = Id(1), Gun = Id(0);
  Document.ChangeMatrix(Engine, At(9, 0, 0), "Hardpoint Edit");
  Document.RemoveHardpoints({Gun}, "Delete Hardpoint");
  EXPECT_EQ(Document.IndexOf(Engine), 0);
  const THardpointId Added = Document.AddHardpoint(0, "new", At(5, 5, 5), "Add Hardpoint");
  EXPECT_EQ(Document.Selected(), 0);
  EXPECT_EQ(MakeSceneState(Document, TViewState()).Hardpoints.size(), 2u);  // the drawing shows what the document holds
  Document.RenameHardpoint(Engine, "thruster", "Rename Hardpoint");

  ASSERT_TRUE(Document.Undo());  // the name
  EXPECT_EQ(Document.Hardpoints()[1].Name, "engine");
  ASSERT_TRUE(Document.Undo());  // the added one
  EXPECT_EQ(Document.IndexOf(Added), -1);
  ASSERT_TRUE(Document.Undo());  // the removed one comes back at its place
  EXPECT_EQ(Document.IndexOf(Gun), 0);
  EXPECT_EQ(Document.Hardpoints()[0].Name, "gun");
  ASSERT_TRUE(Document.Undo());  // the engine's matrix, found by identity
  EXPECT_EQ(Document.Hardpoints()[1].Matrix, At(-0.2f, -0.3f, 0.3f));
  EXPECT_EQ(Document.Selected(), 1);  // the changed hardpoint is shown
  EXPECT_FALSE(Document.Undo());

  for (int I = 0; I < 4; ++I) ASSERT_TRUE(Document.Redo());
  EXPECT_EQ(Document.Hardpoints().size(), 2u);
  EXPECT_EQ(Document.Hardpoints()[0].Name, "new");
  EXPECT_EQ(Document.Hardpoints()[1].Name, "thruster");
  EXPECT_EQ(Document.Hardpoints()[1].Matrix, At(9, 0, 0));
}

TEST_F(ModelDocumentTest, SaveWritesTheSphereAndKeepsHardpointsSelectionAndHistory) {
  Document.Select(1);
  Document.ChangeMatrix(Id(1), At(2, 0, 0), "Hardpoint Edit");
  Document.EnterSphereTexts("0", "0", "0", "2");
  EXPECT_TRUE(Document.SphereUnsaved());
  Document.SaveSphere();
  EXPECT_EQ(FileDiameter(), 2.0f);
  EXPECT_FALSE(Document.SphereUnsaved());
  EXPECT_EQ(X(1), 2.0f);
  EXPECT_EQ(Document.Selected(), 1);
  EXPECT_EQ(Document.History().UndoName(), "Sphere Values");
  EXPECT_TRUE(Document.HardpointsUnsaved());  // the file holds no hardpoint edit
  // The values before it come back and can be saved again.
  Document.Undo();
  Document.SaveSphere();
  EXPECT_EQ(FileDiameter(), 0.5f);
  Document.HardpointsCopied();
  EXPECT_FALSE(Document.HardpointsUnsaved());
  EXPECT_TRUE(Document.HardpointsDifferFromFile());
}

TEST_F(ModelDocumentTest, AFileReplacedSinceItWasReadIsNotWrittenUnlessAskedAndItsReloadClearsTheHistory) {
  Document.ChangeMatrix(Id(0), At(3, 0, 0), "Hardpoint Edit");
  EXPECT_FALSE(Document.SphereFileReplaced());
  const std::string Other = Dir.File("other.iff");
  WriteModel(Other, 7, "nose");
  std::filesystem::rename(Other, File);
  EXPECT_TRUE(Document.SphereFileReplaced());
  const auto Before = ReadFileBytes(File);
  EXPECT_NE(MessageOf([&] { Document.SaveSphere(); }), "(nothing raised)");
  EXPECT_EQ(ReadFileBytes(File), Before);

  Document.Load(File);  // "Reload"
  EXPECT_FALSE(Document.History().CanUndo());
  EXPECT_EQ(Document.Hardpoints()[0].Name, "nose");
  EXPECT_EQ(Document.SphereDiameter(), 7.0f);
  EXPECT_FALSE(Document.SphereFileReplaced());

  // "Save Anyway" writes whatever file is there now.
  Document.ChangeSphere({0, 0, 0, 4}, "Sphere Values");
  WriteModel(Other, 7, "tail");
  std::filesystem::rename(Other, File);
  Document.SaveSphere(/*EvenIfReplaced=*/true);
  EXPECT_EQ(FileDiameter(), 4.0f);
  EXPECT_FALSE(Document.SphereFileReplaced());
}

TEST_F(ModelDocumentTest, ALevelSwitchKeepsEverythingButTheMesh) {
  Document.ChangeMatrix(Id(1), At(2, 0, 0), "Hardpoint Edit");
  Document.Select(1);
  Document.SwitchLevel(0);
  EXPECT_EQ(Document.Level(), 0);
  const TSceneState Shown = MakeSceneState(Document, TViewState());
  EXPECT_EQ(Shown.Hardpoints[1].Matrix, At(2, 0, 0));
  EXPECT_EQ(Shown.SelectedHardpoints, std::vector<int32_t>{1});
  EXPECT_TRUE(Document.History().CanUndo());
  Document.Load(File);  // the same file keeps its level
  EXPECT_EQ(Document.Level(), 0);
}

TEST_F(ModelDocumentTest, TheQuestionBeforeALossNamesWhatWouldBeLostAndOffersTheWayToKeepIt) {
  EXPECT_FALSE(UnsavedWorkQuestion(Document));
  const std::string Head = "doc.iff has unsaved changes:";
  const std::string Sphere = "\n- the sphere values, which differ from the file's";
  const std::string Hardpoints = "\n- hardpoint edits, which are in no file and were not copied or exported";
  struct {
    bool EditSphere, EditHardpoint;
    std::string Text;
    std::vector<std::string> Buttons;
  } const Cases[] = {
      {true, false, Head + Sphere + "\nSave them, discard them, or cancel?", {"Save", "Discard", "Cancel"}},
      {false,
       true,
       Head + Hardpoints + "\nSave them into a new model file, discard them, or cancel?",
       {"Save Model As...", "Discard", "Cancel"}},
      {true,
       true,
       Head + Sphere + Hardpoints +
           "\nSave the sphere values, save everything shown into a new model file, discard the changes, or cancel?",
       {"Save", "Save Model As...", "Discard", "Cancel"}},
  };
  for (const auto& Case : Cases) {
    Document.Load(File);
    if (Case.EditSphere) Document.ChangeSphere({0, 0, 0, 2}, "Sphere Values");
    if (Case.EditHardpoint) Document.ChangeMatrix(Id(0), At(1, 1, 1), "Hardpoint Edit");
    const auto Question = UnsavedWorkQuestion(Document);
    ASSERT_TRUE(Question);
    EXPECT_EQ(Question->Caption, "Unsaved Changes");
    EXPECT_EQ(Question->Text, Case.Text);
    EXPECT_EQ(Question->Buttons, Case.Buttons);
  }
  // Each answer: what it keeps, and whether the close or load goes on.
  for (const auto& [Answer, Saved, GoesOn] : {std::tuple{"Save Model As...", true, true},
                                              std::tuple{"Discard", false, true}, std::tuple{"Cancel", false, false}}) {
    bool SavedAs = false;
    const TUserQuestions User{nullptr,
                              [Chosen = std::string(Answer)](const std::string&, const std::string&,
                                                             const std::vector<std::string>& Buttons) {
                                return int(std::find(Buttons.begin(), Buttons.end(), Chosen) - Buttons.begin());
                              },
                              nullptr};
    EXPECT_EQ(MayDiscardWork(Document, User, nullptr, [&] { return SavedAs = true; }), GoesOn) << Answer;
    EXPECT_EQ(SavedAs, Saved) << Answer;
  }
  // The caption marks what the question would name.
  EXPECT_EQ(DocumentCaption(Document), "QUELBIR Editor [*doc.iff [0000]]");
  // Changed back by hand, nothing is lost.
  Document.ChangeSphere({0, 0, 0, 0.5f}, "Sphere Values");
  Document.ChangeMatrix(Id(0), At(0.2f, 0.1f, 0), "Hardpoint Edit");
  EXPECT_FALSE(UnsavedWorkQuestion(Document));
  EXPECT_EQ(DocumentCaption(Document), "QUELBIR Editor [doc.iff [0000]]");
  // Copied (or exported, or saved as a new file), edits are kept.
  Document.ChangeMatrix(Id(0), At(1, 1, 1), "Hardpoint Edit");
  EXPECT_EQ(DocumentCaption(Document), "QUELBIR Editor [*doc.iff [0000]]");
  Document.HardpointsCopied();
  EXPECT_EQ(DocumentCaption(Document), "QUELBIR Editor [doc.iff [0000]]");
}

// A model made from another tool's mesh has no file until Save Model As...
// gives it one: it is unsaved work, Save asks for a file, and once written
// the document shows the new file, edits and history kept. Its private file
// goes when it is no longer shown.
TEST_F(ModelDocumentTest, ANewModelIsUnsavedWorkUntilSaveModelAsGivesItAFileWhichItThenShows) {
  auto Private = std::make_unique<TPrivateModelFile>();
  const std::string PrivatePath = Private->Path();
  WriteModel(PrivatePath, 0.5f);
  Document.LoadNewModel(std::move(Private), Dir.File("Ship.glb"));
  EXPECT_TRUE(Document.NewModel());
  EXPECT_EQ(Document.ShownFile(), Dir.File("Ship.glb"));
  EXPECT_EQ(Document.SphereFile(), "");  // Save writes nothing in place
  EXPECT_EQ(Document.Hardpoints().size(), 2u);
  EXPECT_EQ(DocumentCaption(Document), "QUELBIR Editor [ship.glb (new model, not saved) [0000]]");
  const auto Question = UnsavedWorkQuestion(Document);
  ASSERT_TRUE(Question);
  EXPECT_EQ(Question->Text,
            "Ship.glb (new model, not saved) is in no model file yet.\n"
            "Save it into a new model file, discard it, or cancel?");
  EXPECT_EQ(Question->Buttons, (std::vector<std::string>{"Save Model As...", "Discard", "Cancel"}));

  Document.ChangeMatrix(Id(0), At(1, 1, 1), "Hardpoint Edit");
  WriteFileBytes(Dir.File("Ship.glb"), {'g', 'l', 'T', 'F'});
  EXPECT_EQ(MessageOf([&] { SaveModelAs(Document, Dir.File("Ship.glb")); }),
            Dir.File("Ship.glb") + " is the model file itself; choose another name");
  EXPECT_EQ(ReadFileBytes(Dir.File("Ship.glb")), (std::vector<uint8_t>{'g', 'l', 'T', 'F'}));
  EXPECT_TRUE(Document.NewModel());
  // Its picture finds the textures beside the mesh, as the window draws them.
  const TPictureRequest Picture = DocumentPictureRequest(Document, TViewOptions{}, 300, 200);
  EXPECT_EQ(std::tie(Picture.ModelFile, Picture.TexturesFolder, Picture.Width, Picture.Height),
            std::tuple(PrivatePath, Dir.Path().string(), 300, 200));
  // Save asks for the new file among the models; Cancel writes nothing.
  std::optional<std::string> Saved;
  const TUserQuestions User{nullptr,
                            [](const std::string&, const std::string& Text, const std::vector<std::string>&) -> int {
                              ADD_FAILURE() << Text;
                              return 0;
                            },
                            [&](TFileKind Kind, const TSaveDialogOptions& Options) {
                              EXPECT_TRUE(Kind == TFileKind::Models && Options.DefaultExt == ".iff");
                              return Saved;
                            }};
  const auto SaveModelAsAsked = [&] { return SaveModelAsAsking(Document, User).has_value(); };
  EXPECT_FALSE(SaveAsking(Document, User, nullptr, SaveModelAsAsked));
  EXPECT_TRUE(Document.NewModel());
  Saved = Dir.File("ship.iff");
  EXPECT_TRUE(SaveAsking(Document, User, nullptr, SaveModelAsAsked));
  EXPECT_FALSE(Document.NewModel());
  EXPECT_EQ(Document.FileName(), *Saved);
  EXPECT_EQ(Document.SphereFile(), *Saved);
  EXPECT_FALSE(UnsavedWorkQuestion(Document));
  EXPECT_EQ(DocumentCaption(Document), "QUELBIR Editor [ship.iff [0000]]");
  EXPECT_EQ(Document.History().UndoName(), "Hardpoint Edit");
  EXPECT_FALSE(std::filesystem::exists(PrivatePath));
  EXPECT_EQ(SavedModelMessage(*Saved, true), "Wrote the model with the hardpoints and the sphere shown to \"" + *Saved +
                                                 "\". The window now shows that file.");
  TModelDocument Reread;
  Reread.Load(*Saved);
  EXPECT_EQ(Reread.Hardpoints()[0].Matrix, At(1, 1, 1));

  // Another load lets a new model's private file go.
  Private = std::make_unique<TPrivateModelFile>();
  const std::string Second = Private->Path();
  WriteModel(Second, 0.5f);
  Document.LoadNewModel(std::move(Private), Dir.File("ship.obj"));
  Document.Load(File);
  EXPECT_FALSE(Document.NewModel());
  EXPECT_FALSE(std::filesystem::exists(Second));
}

TEST_F(ModelDocumentTest, ClicksSelectOneToggleOneOrARangeAndTheCurrentIsTheOneClickedLast) {
  Document.AddHardpoints({{2, {"a", At(0, 0, 0)}}, {3, {"b", At(0, 0, 0)}}}, "Add Hardpoints");
  enum TClick { Only, Ctrl, Shift, ViewShift };
  struct TCase {
    const char* Name;
    std::vector<std::pair<TClick, int>> Clicks;  // after a plain click on 0
    std::vector<int> Selected;
    int Current;
  } const Cases[] = {
      {"Ctrl adds", {{Ctrl, 2}, {Ctrl, 3}}, {0, 2, 3}, 3},
      {"Ctrl again takes out; the one before is current", {{Ctrl, 2}, {Ctrl, 2}}, {0}, 0},
      {"the only selected one stays", {{Ctrl, 0}}, {0}, 0},
      {"another taken out keeps the current", {{Ctrl, 2}, {Ctrl, 0}}, {2}, 2},
      {"Shift: the range from the anchor", {{Shift, 2}}, {0, 1, 2}, 2},
      {"the anchor stays for the next range", {{Only, 3}, {Shift, 1}, {Shift, 2}}, {2, 3}, 2},
      {"a Ctrl click sets the anchor", {{Ctrl, 2}, {Shift, 3}}, {2, 3}, 3},
      {"Shift in a view adds one", {{ViewShift, 2}, {ViewShift, 1}}, {0, 1, 2}, 1},
      {"outside the list nothing", {{Ctrl, 4}, {Shift, -1}, {Only, 9}}, {0}, 0},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    Document.Select(0);
    for (const auto& [Click, Index] : Case.Clicks) {
      if (Click == Only) Document.Select(Index);
      if (Click == Ctrl) Document.ToggleSelected(Index);
      if (Click == Shift) Document.SelectRange(Index);
      if (Click == ViewShift) Document.AddToSelection(Index);
    }
    EXPECT_EQ(Document.SelectedIndices(), Case.Selected);
    EXPECT_EQ(Document.Selected(), Case.Current);
    // The drawing shows exactly the selection highlighted.
    const TSceneState Shown = MakeSceneState(Document, TViewState());
    for (int I = 0; I < 4; ++I)
      EXPECT_EQ(Shown.HardpointSelected(I),
                std::find(Case.Selected.begin(), Case.Selected.end(), I) != Case.Selected.end());
  }
  EXPECT_EQ(Told.back(), unsigned(TModelDocument::SelectionChanged));
}

TEST_F(ModelDocumentTest, TheSelectionFollowsItsHardpointsAndAnUndoSelectsWhatItChanged) {
  Document.AddHardpoint(2, "a", At(0, 0, 0), "Add Hardpoint");
  Document.Select(0);
  Document.ToggleSelected(2);
  Document.RemoveHardpoints({Id(1)}, "Delete Hardpoint");
  EXPECT_EQ(Document.SelectedIndices(), (std::vector<int>{0, 1}));
  EXPECT_EQ(Document.Selected(), 1);
  // Undo selects the engine, put back; redo deletes it again and the ones
  // selected before its step stay as undo left them.
  ASSERT_TRUE(Document.Undo());
  EXPECT_EQ(Document.SelectedIndices(), std::vector<int>{1});
  Document.RemoveHardpoints({Id(0), Id(1)}, "Delete Hardpoints");
  EXPECT_EQ(Document.SelectedIndices(), std::vector<int>{0});  // the neighbour
  ASSERT_TRUE(Document.Undo());
  EXPECT_EQ(Document.SelectedIndices(), (std::vector<int>{0, 1}));
  EXPECT_EQ(Document.Selected(), 0);
}

class DrawingToolsTest : public ModelDocumentTest {
protected:
  TViewState View;
  TDrawingTools Tools{Document, View};
  void SetUp() override {
    ModelDocumentTest::SetUp();
    View.Layout = 3;  // back view: x right, y up
    View.Scale = 1;
    Tools.SetDrawingSize(200, 200);
  }
  void Drag(TPointer From, TPointer To, bool Release = true) {
    Tools.Press(From, true);
    Tools.Move({(From.X + To.X) / 2, (From.Y + To.Y) / 2, To.Snap});
    Tools.Move(To);
    if (Release) Tools.Release(To, true);
  }
};

TEST_F(DrawingToolsTest, ADragOnTheSelectedMarkerIsOneStepAndEscapePutsItBack) {
  Drag({120, 90}, {140, 70});  // the gun at (0.2, 0.1)
  EXPECT_FLOAT_EQ(X(0), 0.4f);
  EXPECT_FLOAT_EQ(Document.Hardpoints()[0].Matrix[13], 0.3f);
  EXPECT_EQ(Document.History().UndoName(), "Move Hardpoint");
  Document.Undo();
  EXPECT_FLOAT_EQ(X(0), 0.2f);
  EXPECT_FALSE(Document.History().CanUndo());

  Drag({120, 90}, {160, 90}, /*Release=*/false);
  EXPECT_FLOAT_EQ(X(0), 0.6f);
  Tools.Cancel();  // Escape
  EXPECT_FLOAT_EQ(X(0), 0.2f);
  Tools.Release({160, 90}, true);
  EXPECT_FALSE(Document.History().CanUndo());
  EXPECT_EQ(View.Angles[0], 0.0f);

  // Away from the marker the views turn; Escape turns them back.
  Drag({20, 20}, {30, 25}, false);
  EXPECT_EQ(View.Angles[0], -10.0f);
  EXPECT_EQ(View.Angles[1], -5.0f);
  Tools.Cancel();
  EXPECT_EQ(View.Angles[0], 0.0f);
  EXPECT_FALSE(Tools.Dragging());
}

TEST_F(DrawingToolsTest, AnUndoDuringADragCancelsTheDragFirstAndNothingIsLost) {
  Document.EnterSphereTexts("0", "0", "0", "2");
  Drag({120, 90}, {160, 90}, /*Release=*/false);
  ASSERT_TRUE(Document.Undo());  // Ctrl+Z with the button down
  EXPECT_FLOAT_EQ(X(0), 0.2f);
  EXPECT_EQ(Document.SphereDiameter(), 0.5f);
  Tools.Release({160, 90}, true);
  EXPECT_FALSE(Document.Undo());
  ASSERT_TRUE(Document.Redo());
  EXPECT_EQ(Document.SphereDiameter(), 2.0f);
  EXPECT_FLOAT_EQ(X(0), 0.2f);
  EXPECT_FALSE(Document.Redo());
}

TEST_F(DrawingToolsTest, AClickPicksTheMarkerUnderItAndElsewhereChangesNothing) {
  Tools.Press({80, 130}, true);  // the engine at (-0.2, -0.3)
  Tools.Release({80, 130}, true);
  EXPECT_EQ(Document.Selected(), 1);
  Tools.Press({10, 10}, true);
  Tools.Release({10, 10}, true);
  EXPECT_EQ(Document.Selected(), 1);
  EXPECT_FALSE(Document.History().CanUndo());
}

TEST_F(DrawingToolsTest, KeptProportionsPlaceAndMoveByTheSameUnitAcrossAndUp) {
  View.KeepProportions = true;
  Tools.SetDrawingSize(400, 200);  // one unit: 100 pixels either way
  Drag({220, 90}, {240, 90});      // the gun at (0.2, 0.1): x = 200 + 0.2 * 100
  EXPECT_FLOAT_EQ(X(0), 0.4f);
}

TEST_F(DrawingToolsTest, ADragOnAnySelectedMarkerMovesThemAllByOneOffsetAsOneStep) {
  Tools.Press({80, 130, /*Snap=*/true}, true);  // Ctrl+click: the engine joins
  Tools.Release({80, 130, true}, true);
  ASSERT_EQ(Document.SelectedIndices(), (std::vector<int>{0, 1}));
  const std::vector<TDocumentHardpoint> Before = Document.Hardpoints();
  const auto Bits = [](const std::vector<TDocumentHardpoint>& Hardpoints) {
    std::vector<uint32_t> All(Hardpoints.size() * 16);
    for (size_t I = 0; I < Hardpoints.size(); ++I) std::memcpy(&All[I * 16], Hardpoints[I].Matrix.data(), 64);
    return All;
  };

  Drag({80, 130}, {100, 110});  // pressed on the engine: both move by (0.2, 0.2)
  EXPECT_FLOAT_EQ(X(0), 0.4f);
  EXPECT_FLOAT_EQ(Document.Hardpoints()[1].Matrix[13], -0.1f);
  EXPECT_EQ(Document.Hardpoints()[1].Matrix[14], 0.3f);
  EXPECT_EQ(Document.History().UndoName(), "Move Hardpoints");
  const std::vector<TDocumentHardpoint> Moved = Document.Hardpoints();
  ASSERT_TRUE(Document.Undo());
  EXPECT_EQ(Bits(Document.Hardpoints()), Bits(Before));
  EXPECT_EQ(Document.SelectedIndices(), (std::vector<int>{0, 1}));
  ASSERT_TRUE(Document.Redo());
  EXPECT_EQ(Bits(Document.Hardpoints()), Bits(Moved));
  ASSERT_TRUE(Document.Undo());

  // Ctrl: the gun pressed snaps to the box's corner, the engine follows.
  Drag({120, 90}, {141, 59, /*Snap=*/true}, /*Release=*/false);
  const THardpointMatrix& Gun = Document.Hardpoints()[0].Matrix;
  EXPECT_EQ(Gun[12], 0.4f);
  EXPECT_EQ(Gun[13], 0.4f);
  for (size_t I = 12; I < 15; ++I)
    EXPECT_FLOAT_EQ(Document.Hardpoints()[1].Matrix[I], Before[1].Matrix[I] + (Gun[I] - Before[0].Matrix[I]));
  Tools.Cancel();  // Escape: both back, nothing kept
  Tools.Release({141, 59}, true);
  EXPECT_EQ(Bits(Document.Hardpoints()), Bits(Before));
  EXPECT_EQ(Document.History().RedoName(), "Move Hardpoints");
  EXPECT_FALSE(Document.History().CanUndo());

  // A plain click on one of them selects it alone; Shift adds one back.
  Tools.Press({120, 90}, true);
  Tools.Release({121, 90}, true);
  EXPECT_EQ(Document.SelectedIndices(), std::vector<int>{0});
  Tools.Press({80, 130, false, /*Extend=*/true}, true);
  Tools.Release({80, 130, false, true}, true);
  EXPECT_EQ(Document.SelectedIndices(), (std::vector<int>{0, 1}));
  EXPECT_EQ(Document.Selected(), 1);
  EXPECT_FALSE(Document.History().CanUndo());
}

}  // namespace
