// Undo and redo over the editable values: one step per change, only what a
// step changed comes back, typing merges, a new step drops what was undone.
#include <gtest/gtest.h>

#include "editor/EditHistory.h"

namespace {

THardpointMatrix At(float X) { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, X, 0, 0, 1}; }

TEditorValues Values(float Diameter, std::vector<float> Xs) {
  TEditorValues V;
  V.Sphere = {0, 0, 0, Diameter};
  for (float X : Xs) V.Hardpoints.push_back(At(X));
  return V;
}

TEST(EditHistory, UndoAndRedoWalkTheStepsAndNameThem) {
  TEditHistory History;
  History.Record("Nothing", Values(1, {0}), Values(1, {0}));  // no change, no step
  EXPECT_FALSE(History.CanUndo());
  EXPECT_EQ(History.UndoName(), "");

  History.Record("Sphere Values", Values(1, {0}), Values(2, {0}));
  History.Record("Move Hardpoint", Values(2, {0}), Values(2, {5}));
  EXPECT_EQ(History.UndoName(), "Move Hardpoint");

  TEditorValues Now = Values(2, {5});
  ASSERT_TRUE(History.Undo(Now));
  EXPECT_EQ(Now.Hardpoints[0], At(0));
  EXPECT_EQ(History.LastHardpoint(), 0);
  ASSERT_TRUE(History.Undo(Now));
  EXPECT_EQ(Now.Sphere[3], 1.0f);
  EXPECT_EQ(History.LastHardpoint(), -1);
  EXPECT_FALSE(History.Undo(Now));
  EXPECT_EQ(History.RedoName(), "Sphere Values");

  ASSERT_TRUE(History.Redo(Now));
  EXPECT_EQ(Now.Sphere[3], 2.0f);
  // A new step drops what could be redone.
  History.Record("Fit Sphere to Model", Values(2, {0}), Values(3, {0}));
  EXPECT_FALSE(History.CanRedo());
  EXPECT_EQ(History.UndoName(), "Fit Sphere to Model");
  History.Clear();
  EXPECT_FALSE(History.CanUndo());
}

TEST(EditHistory, AStepPutsBackOnlyWhatItChanged) {
  TEditHistory History;
  History.Record("Sphere Values", Values(1, {0, 0}), Values(2, {0, 0}));
  // Since then a reload put the hardpoints back to other values: taking the
  // sphere step back leaves them alone.
  TEditorValues Now = Values(2, {7, 8});
  ASSERT_TRUE(History.Undo(Now));
  EXPECT_EQ(Now.Sphere[3], 1.0f);
  EXPECT_EQ(Now.Hardpoints[1], At(8));
  // A step on a slot the values no longer have is skipped, not a crash.
  History.Record("Move Hardpoint", Values(1, {0, 0, 0}), Values(1, {0, 0, 4}));
  TEditorValues Fewer = Values(1, {0});
  EXPECT_TRUE(History.Undo(Fewer));
  EXPECT_EQ(Fewer.Hardpoints.size(), 1u);
}

TEST(EditHistory, StepsWithOneMergeKeyInARowAreOneUntilSealed) {
  TEditHistory History;
  History.Record("Hardpoint Edit", Values(1, {0}), Values(1, {2}), "grid 0 12");
  History.Record("Hardpoint Edit", Values(1, {2}), Values(1, {25}), "grid 0 12");
  TEditorValues Now = Values(1, {25});
  ASSERT_TRUE(History.Undo(Now));
  EXPECT_EQ(Now.Hardpoints[0], At(0));
  EXPECT_FALSE(History.CanUndo());

  ASSERT_TRUE(History.Redo(Now));
  History.Record("Hardpoint Edit", Values(1, {25}), Values(1, {3}), "grid 0 12");  // redo sealed it
  History.Seal();
  History.Record("Hardpoint Edit", Values(1, {3}), Values(1, {4}), "grid 0 12");
  History.Record("Hardpoint Edit", Values(1, {4}), Values(1, {5}), "grid 0 13");
  int Steps = 0;
  while (History.Undo(Now)) ++Steps;
  EXPECT_EQ(Steps, 4);
}

TEST(EditHistory, ValuesComeFromAndGoBackToTheFields) {
  const float Center[3] = {1, 2, 3};
  const TEditorValues V = CaptureEditorValues(Center, 4, nullptr);
  EXPECT_EQ(V.Sphere, (std::array<float, 4>{1, 2, 3, 4}));
  EXPECT_TRUE(V.Hardpoints.empty());
  float Into[3] = {0, 0, 0};
  float Diameter = 0;
  ApplyEditorValues(Values(9, {1}), Into, Diameter, nullptr);
  EXPECT_EQ(Diameter, 9.0f);
}

}  // namespace
