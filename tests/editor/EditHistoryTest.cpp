// The history's own rules: steps that change nothing are not kept, a new step
// drops what was undone, and steps with one typed key in a row are one until
// the history is sealed.
#include <gtest/gtest.h>

#include "editor/EditHistory.h"

namespace {

THardpointMatrix At(float X) { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, X, 0, 0, 1}; }

THistoryStep Move(THardpointId Id, float From, float To, std::optional<TMergeKey> Key = std::nullopt) {
  return {"Hardpoint Edit", Key, {TMatrixCommand{Id, At(From), At(To)}}};
}

TEST(EditHistory, WalksItsStepsByNameAndANewStepDropsWhatWasUndone) {
  TEditHistory History;
  History.Record({"Nothing", std::nullopt, {TSphereCommand{{0, 0, 0, 1}, {0, 0, 0, 1}}}});
  EXPECT_FALSE(History.CanUndo());
  History.Record({"Sphere Values", std::nullopt, {TSphereCommand{{0, 0, 0, 1}, {0, 0, 0, 2}}}});
  History.Record(Move(7, 0, 5));
  EXPECT_EQ(History.UndoName(), "Hardpoint Edit");
  ASSERT_NE(History.TakeUndo(), nullptr);
  EXPECT_EQ(History.UndoName(), "Sphere Values");
  EXPECT_EQ(History.RedoName(), "Hardpoint Edit");
  History.Record({"Fit Sphere to Model", std::nullopt, {TSphereCommand{{0, 0, 0, 2}, {0, 0, 0, 3}}}});
  EXPECT_FALSE(History.CanRedo());
  EXPECT_EQ(History.TakeRedo(), nullptr);
  History.Clear();
  EXPECT_FALSE(History.CanUndo());
  EXPECT_EQ(History.TakeUndo(), nullptr);
}

TEST(EditHistory, StepsWithOneKeyInARowAreOneFromTheFirstBeforeToTheLastAfter) {
  TEditHistory History;
  const TMergeKey Box{TMergeKey::TKind::GridBox, 7, 12};
  History.Record(Move(7, 0, 2, Box));
  History.Record(Move(7, 2, 25, Box));
  History.Record(Move(7, 25, 3, TMergeKey{TMergeKey::TKind::GridBox, 7, 13}));  // another box
  const THistoryStep* Last = History.TakeUndo();
  ASSERT_NE(Last, nullptr);
  EXPECT_EQ(std::get<TMatrixCommand>(Last->Commands[0]).Before, At(25));
  const THistoryStep* Typed = History.TakeUndo();
  ASSERT_NE(Typed, nullptr);
  ASSERT_EQ(Typed->Commands.size(), 1u);
  EXPECT_EQ(std::get<TMatrixCommand>(Typed->Commands[0]).Before, At(0));
  EXPECT_EQ(std::get<TMatrixCommand>(Typed->Commands[0]).After, At(25));
  EXPECT_FALSE(History.CanUndo());

  // Sealed (Enter), the same key starts a step of its own.
  History.Record(Move(7, 0, 1, Box));
  History.Seal();
  History.Record(Move(7, 1, 2, Box));
  History.TakeUndo();
  EXPECT_TRUE(History.CanUndo());
}

}  // namespace
