#include "editor/EditHistory.h"

#include <algorithm>
#include <cstring>

namespace {

template <class T>
bool SameBits(const T& A, const T& B) {
  return std::memcmp(&A, &B, sizeof(T)) == 0;
}

// Folds Next into Into when both change the same value: the first Before
// stays, the last After wins. False when they change different values.
bool Fold(TEditCommand& Into, const TEditCommand& Next) {
  if (Into.index() != Next.index()) return false;
  if (auto* Sphere = std::get_if<TSphereCommand>(&Into)) {
    Sphere->After = std::get<TSphereCommand>(Next).After;
    return true;
  }
  if (auto* Matrix = std::get_if<TMatrixCommand>(&Into)) {
    const auto& N = std::get<TMatrixCommand>(Next);
    if (N.Id != Matrix->Id) return false;
    Matrix->After = N.After;
    return true;
  }
  if (auto* Rename = std::get_if<TRenameCommand>(&Into)) {
    const auto& N = std::get<TRenameCommand>(Next);
    if (N.Id != Rename->Id) return false;
    Rename->After = N.After;
    return true;
  }
  return false;  // list and levels changes are never folded
}

}  // namespace

bool ChangesSomething(const TEditCommand& Command) {
  if (const auto* Sphere = std::get_if<TSphereCommand>(&Command)) return !SameBits(Sphere->Before, Sphere->After);
  if (const auto* Matrix = std::get_if<TMatrixCommand>(&Command)) return !SameBits(Matrix->Before, Matrix->After);
  if (const auto* Rename = std::get_if<TRenameCommand>(&Command)) return Rename->Before != Rename->After;
  if (const auto* Levels = std::get_if<TLevelsCommand>(&Command)) return Levels->Before != Levels->After;
  return true;
}

void TEditHistory::Record(THistoryStep Step) {
  std::erase_if(Step.Commands, [](const TEditCommand& C) { return !ChangesSomething(C); });
  if (Step.Commands.empty()) return;
  FSteps.resize(FDone);
  if (FMergeOpen && Step.Merge && !FSteps.empty() && FSteps.back().Merge == Step.Merge) {
    THistoryStep& Last = FSteps.back();
    for (const TEditCommand& Command : Step.Commands) {
      auto Same = std::find_if(Last.Commands.begin(), Last.Commands.end(),
                               [&](TEditCommand& Known) { return Fold(Known, Command); });
      if (Same == Last.Commands.end()) Last.Commands.push_back(Command);
    }
    return;
  }
  FSteps.push_back(std::move(Step));
  FDone = FSteps.size();
  FMergeOpen = true;
}

std::string TEditHistory::UndoName() const { return CanUndo() ? FSteps[FDone - 1].Name : std::string(); }

std::string TEditHistory::RedoName() const { return CanRedo() ? FSteps[FDone].Name : std::string(); }

const THistoryStep* TEditHistory::TakeUndo() {
  FMergeOpen = false;
  if (!CanUndo()) return nullptr;
  return &FSteps[--FDone];
}

const THistoryStep* TEditHistory::TakeRedo() {
  FMergeOpen = false;
  if (!CanRedo()) return nullptr;
  return &FSteps[FDone++];
}

void TEditHistory::Clear() {
  FSteps.clear();
  FDone = 0;
  FMergeOpen = false;
}
