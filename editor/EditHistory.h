#pragma once
// The document's undo and redo, without a toolkit. Each step the user takes
// is kept as the commands that made it, each holding what it changed before
// and after. Hardpoints are named by their identity, which survives
// reordering, adding and deleting, never by their place in the list, so a
// step taken back after a hardpoint was added or removed still finds the one
// it changed.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "model/THardpoint.h"

using TSphereValues = std::array<float, 4>;  // centre X, Y, Z, then the "Diameter:" value
using THardpointId = uint64_t;               // 0 names no hardpoint

// A hardpoint of the document: the model's record and its identity.
struct TDocumentHardpoint : THardpoint {
  THardpointId Id = 0;
  bool operator==(const TDocumentHardpoint&) const = default;
};

// The sphere's four values went from Before to After.
struct TSphereCommand {
  TSphereValues Before{}, After{};
};
// One hardpoint's matrix went from Before to After.
struct TMatrixCommand {
  THardpointId Id = 0;
  THardpointMatrix Before{}, After{};
};
// One hardpoint's name went from Before to After.
struct TRenameCommand {
  THardpointId Id = 0;
  std::string Before, After;
};
// Hardpoint came into the list at Index (Added) or left it from there.
struct TListCommand {
  size_t Index = 0;
  TDocumentHardpoint Hardpoint;
  bool Added = true;
};
// The model's levels of detail went from those of the file Before to those
// of After (levels made in the window); each step keeps both files, so that
// undo and redo show them again without making them again.
struct TModelSource;  // editor/PrivateModelFile.h
struct TLevelsCommand {
  std::shared_ptr<TModelSource> Before, After;
};
using TEditCommand = std::variant<TSphereCommand, TMatrixCommand, TRenameCommand, TListCommand, TLevelsCommand>;

// Steps with equal keys in a row are one step, until the history is sealed:
// typing one number into one box of the grid is one change, not one per key.
struct TMergeKey {
  enum class TKind { GridBox, SphereBoxes };
  TKind Kind = TKind::GridBox;
  THardpointId Hardpoint = 0;
  int Box = -1;
  bool operator==(const TMergeKey&) const = default;
};

struct THistoryStep {
  std::string Name;  // "Move Hardpoint", "Fit Sphere to Model", ...
  std::optional<TMergeKey> Merge;
  std::vector<TEditCommand> Commands;
};

class TEditHistory {
public:
  // Records Step, unless its commands change nothing (values compared bit
  // for bit). A new step drops whatever could be redone; one whose merge key
  // equals the last step's joins it, keeping the first Before and the last
  // After of each value.
  void Record(THistoryStep Step);
  bool CanUndo() const { return FDone > 0; }
  bool CanRedo() const { return FDone < FSteps.size(); }
  // The name of the step Undo or Redo would take; empty when none.
  std::string UndoName() const;
  std::string RedoName() const;
  // The step to take back (its commands to run backwards, last first) or to
  // put back (forwards, first first); nullptr when there is none. Either
  // ends any merging.
  const THistoryStep* TakeUndo();
  const THistoryStep* TakeRedo();
  // Ends any merging: the next step stands on its own.
  void Seal() { FMergeOpen = false; }
  void Clear();

private:
  std::vector<THistoryStep> FSteps;
  size_t FDone = 0;  // steps [0, FDone) are in effect
  bool FMergeOpen = false;
};

// Whether Command changes anything.
bool ChangesSomething(const TEditCommand& Command);
