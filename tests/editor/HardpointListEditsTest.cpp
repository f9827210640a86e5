// Adding, duplicating, deleting and renaming hardpoints on the document: each
// is one step that undo takes back and redo puts back exactly; Add puts the
// new hardpoint where the user pointed; Save Model As writes what is shown.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>

#include "editor/HardpointListEdits.h"
#include "editor/HardpointRename.h"
#include "editor/ModelSaveAs.h"
#include "model/SphereFile.h"
#include "model/TZorvObject.h"
#include "tests/support/BoxMesh.h"
#include "tests/support/ErrorMessage.h"
#include "tests/support/TempDir.h"

namespace {

THardpointMatrix At(float X, float Y, float Z) { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, X, Y, Z, 1}; }

class HardpointListEditsTest : public ::testing::Test {
protected:
  TempDir Dir;
  std::string File = Dir.File("list.iff");
  TModelDocument Document;

  void SetUp() override {
    const TSampleSphere Sphere{{0, 0, 0}, 0.5f, false};
    WriteLodModel(File, {Box({-0.4f, -0.4f, -0.4f}, {0.4f, 0.4f, 0.4f})},
                  {{"Gun1", At(0.2f, 0.1f, 0)}, {"Hardpoint1", At(-0.2f, -0.3f, 0.3f)}}, &Sphere);
    Document.Load(File);
  }
  std::vector<std::string> Names() {
    std::vector<std::string> Result;
    for (const TDocumentHardpoint& Hardpoint : Document.Hardpoints()) Result.push_back(Hardpoint.Name);
    return Result;
  }
};

TEST_F(HardpointListEditsTest, EachOperationIsOneStepUndoneAndRedoneExactly) {
  struct TCase {
    const char* Step;
    std::function<void(TModelDocument&)> Run;
    std::vector<std::string> Names;
    int Selected;
  };
  const TCase Cases[] = {
      {"Add Hardpoint",
       [](TModelDocument& D) {
         AddHardpointAt(D, {0.1f, 0.2f, 0.3f});
       },
       {"Gun1", "Hardpoint1", "Hardpoint2"},
       2},
      {"Duplicate Hardpoint",
       [](TModelDocument& D) { DuplicateSelectedHardpoints(D); },
       {"Gun1", "Gun2", "Hardpoint1"},
       1},
      {"Delete Hardpoint", [](TModelDocument& D) { DeleteSelectedHardpoints(D); }, {"Hardpoint1"}, 0},
      {"Rename Hardpoint",
       [](TModelDocument& D) { D.RenameHardpoint(D.Hardpoints()[0].Id, "Nose", "Rename Hardpoint"); },
       {"Nose", "Hardpoint1"},
       0},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Step);
    Document.Load(File);
    const std::vector<TDocumentHardpoint> Before = Document.Hardpoints();
    Case.Run(Document);
    EXPECT_EQ(Names(), Case.Names);
    EXPECT_EQ(Document.Selected(), Case.Selected);
    EXPECT_EQ(Document.History().UndoName(), Case.Step);
    const std::vector<TDocumentHardpoint> After = Document.Hardpoints();
    ASSERT_TRUE(Document.Undo());
    EXPECT_EQ(Document.Hardpoints(), Before);
    EXPECT_FALSE(Document.History().CanUndo());
    ASSERT_TRUE(Document.Redo());
    EXPECT_EQ(Document.Hardpoints(), After);
  }
}

TEST_F(HardpointListEditsTest, SeveralSelectedAreDuplicatedOrDeletedAsOneStepUndoneAndRedoneExactly) {
  // Names that collide: each copy's name is taken before the next is made.
  Document.RenameHardpoint(Document.Hardpoints()[1].Id, "Gun2", "Rename Hardpoint");
  Document.Select(1);
  Document.ToggleSelected(0);
  const std::vector<TDocumentHardpoint> Before = Document.Hardpoints();
  DuplicateSelectedHardpoints(Document);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Gun1", "Gun3", "Gun2", "Gun4"}));
  EXPECT_EQ(Document.History().UndoName(), "Duplicate Hardpoints");
  EXPECT_EQ(Document.SelectedIndices(), (std::vector<int>{1, 3}));
  EXPECT_EQ(Document.Selected(), 1);  // the copy of the one clicked last
  for (const int Copy : {1, 3})
    EXPECT_EQ(std::memcmp(Document.Hardpoints()[size_t(Copy)].Matrix.data(),
                          Document.Hardpoints()[size_t(Copy) - 1].Matrix.data(), sizeof(THardpointMatrix)),
              0);
  const std::vector<TDocumentHardpoint> Duplicated = Document.Hardpoints();
  ASSERT_TRUE(Document.Undo());
  EXPECT_EQ(Document.Hardpoints(), Before);
  ASSERT_TRUE(Document.Redo());
  EXPECT_EQ(Document.Hardpoints(), Duplicated);

  EXPECT_EQ(Document.SelectedIndices(), (std::vector<int>{1, 3}));  // the step's hardpoints
  Document.Select(0);
  Document.SelectRange(2);
  DeleteSelectedHardpoints(Document);
  EXPECT_EQ(Names(), std::vector<std::string>{"Gun4"});
  EXPECT_EQ(Document.History().UndoName(), "Delete Hardpoints");
  ASSERT_TRUE(Document.Undo());
  EXPECT_EQ(Document.Hardpoints(), Duplicated);
  EXPECT_EQ(Document.SelectedIndices(), (std::vector<int>{0, 1, 2}));
  ASSERT_TRUE(Document.Redo());
  EXPECT_EQ(Names(), std::vector<std::string>{"Gun4"});
}

TEST_F(HardpointListEditsTest, ADuplicateKeepsTheMatrixToTheBitAndAnAddedOneHasIdentityAxes) {
  Document.Select(1);
  DuplicateSelectedHardpoints(Document);
  EXPECT_EQ(Document.Hardpoints()[2].Matrix, Document.Hardpoints()[1].Matrix);
  EXPECT_EQ(Document.Hardpoints()[2].Name, "Hardpoint2");
  AddHardpointAt(Document, {0.5f, -0.25f, 1});
  EXPECT_EQ(Document.Hardpoints().back().Matrix, At(0.5f, -0.25f, 1));
  EXPECT_EQ(Document.Hardpoints().back().Name, "Hardpoint3");
}

TEST_F(HardpointListEditsTest, AddLandsUnderThePointerInThePlaneThroughTheCentre) {
  TSceneState State;
  State.Model = Document.Model();
  for (int Layout = 0; Layout < ViewLayoutCount; ++Layout) {
    SCOPED_TRACE(Layout);
    State.Layout = Layout;
    State.Angles[1] = 30;
    const std::vector<TViewTransform> Views = ViewTransforms(State);
    const TViewTransform& View = Views.back();
    const TPixel Centre = ProjectToPixel(View, {0, 0, 0}, 528, 336);
    const std::optional<TModelPoint> Point = AddPointInView(State, 528, 336, Centre.X + 7, Centre.Y - 5);
    ASSERT_TRUE(Point);
    const TPixel Back = ProjectToPixel(View, *Point, 528, 336);
    EXPECT_NEAR(Back.X, Centre.X + 7, 1e-3);
    EXPECT_NEAR(Back.Y, Centre.Y - 5, 1e-3);
    const double Depth =
        View.Rotation[2][0] * (*Point)[0] + View.Rotation[2][1] * (*Point)[1] + View.Rotation[2][2] * (*Point)[2];
    EXPECT_NEAR(Depth, 0, 1e-6);
  }
  State.Model = nullptr;
  EXPECT_FALSE(AddPointInView(State, 528, 336, 10, 10));
}

TEST_F(HardpointListEditsTest, ADragUnderWayGoesBackBeforeTheListChanges) {
  const THardpointId Gun = Document.Hardpoints()[0].Id;
  const THardpointMatrix Before = Document.Hardpoints()[0].Matrix;
  Document.SetGesture([this] { Document.CancelPreview(); });
  Document.PreviewMatrices({{Gun, At(9, 9, 9)}});
  DuplicateSelectedHardpoints(Document);
  EXPECT_EQ(Document.Hardpoints()[0].Matrix, Before);
  EXPECT_EQ(Document.Hardpoints()[1].Matrix, Before);
}

TEST_F(HardpointListEditsTest, SaveModelAsWritesTheShownHardpointsAndSphereAndRefusesTheOpenFile) {
  Document.ChangeSphere({0.125f, -2, 3, 0.75f}, "Fit Sphere to Model");
  DuplicateSelectedHardpoints(Document);
  const std::string Output = Dir.File("new.iff");
  SaveModelAs(Document, Output);
  TModelDocument Written;
  Written.Load(Output);
  ASSERT_EQ(Written.Hardpoints().size(), Document.Hardpoints().size());
  for (size_t I = 0; I < Document.Hardpoints().size(); ++I) {
    EXPECT_EQ(Written.Hardpoints()[I].Name, Document.Hardpoints()[I].Name);
    EXPECT_EQ(Written.Hardpoints()[I].Matrix, Document.Hardpoints()[I].Matrix);
  }
  EXPECT_EQ(Written.Sphere(), Document.Sphere());
  EXPECT_FALSE(Document.HardpointsUnsaved());
  EXPECT_ANY_THROW(SaveModelAs(Document, File));
}

}  // namespace

namespace {

TEST_F(HardpointListEditsTest, RenameAsksForTheNameAndBeforeOneAnotherHardpointHas) {
  struct TCase {
    std::optional<std::string> Typed;  // none: Cancel
    const char* Answer;                // to the question on a name in use, if asked
    std::vector<std::string> Names;
    std::string Error;
  };
  const TCase Cases[] = {
      {std::nullopt, "", {"Gun1", "Hardpoint1"}, ""},
      {"Gun1", "", {"Gun1", "Hardpoint1"}, ""},
      {"Nose\xC3\xA9", "", {"Nose\xE9", "Hardpoint1"}, ""},  // typed as UTF-8, held as 8-bit
      {"Hardpoint1", "Cancel", {"Gun1", "Hardpoint1"}, ""},
      {"Hardpoint1", "Rename", {"Hardpoint1", "Hardpoint1"}, ""},
      {"Gun\"1",
       "",
       {"Gun1", "Hardpoint1"},
       "A hardpoint's name cannot hold a double quotation mark: the hardpoint script writes the name between two "
       "and has no escapes"},
  };
  for (const TCase& Case : Cases) {
    Document.Load(File);
    std::vector<std::string> Asked;
    const TUserQuestions User{[&](const std::string&, const std::string&, const std::string& Shown) {
                                Asked.push_back(Shown);
                                return Case.Typed.value_or(Shown);
                              },
                              [&](const std::string&, const std::string&, const std::vector<std::string>& Buttons) {
                                return Buttons[0] == "Rename" && std::string(Case.Answer) == "Rename" ? 0 : 1;
                              },
                              nullptr};
    EXPECT_EQ(MessageOf([&] { RenameCurrentHardpoint(Document, User); }),
              Case.Error.empty() ? "(nothing raised)" : Case.Error)
        << Case.Typed.value_or("-");
    EXPECT_EQ(Asked, std::vector<std::string>{"Gun1"});
    EXPECT_EQ(Names(), Case.Names) << Case.Typed.value_or("-");
  }
  // The rule holds in the document itself, whoever renames.
  EXPECT_EQ(MessageOf([&] { Document.RenameHardpoint(Document.Hardpoints()[0].Id, "", "Rename Hardpoint"); }),
            "A hardpoint's name cannot be empty");
  EXPECT_EQ(HardpointNameAsText("Nose\xE9"), "Nose\xC3\xA9");
}

}  // namespace
