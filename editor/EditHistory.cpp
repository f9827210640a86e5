#include "editor/EditHistory.h"

#include <algorithm>
#include <cstring>

#include "model/TZorvObject.h"

namespace {

template <class T>
bool SameBits(const T& A, const T& B) {
  return std::memcmp(&A, &B, sizeof(T)) == 0;
}

bool SameSlot(const std::optional<THardpointMatrix>& A, const std::optional<THardpointMatrix>& B) {
  if (A.has_value() != B.has_value()) return false;
  return !A || SameBits(*A, *B);
}

}  // namespace

TEditorValues CaptureEditorValues(const float (&Center)[3], float Diameter, const TZorvObject* Model) {
  TEditorValues Values;
  Values.Sphere = {Center[0], Center[1], Center[2], Diameter};
  if (Model == nullptr) return Values;
  for (int32_t I = 0; I < Model->HardpointCount(); ++I) {
    const THardpoint* Hardpoint = Model->GetHardpoint(I);
    Values.Hardpoints.push_back(Hardpoint ? std::optional<THardpointMatrix>(Hardpoint->Matrix) : std::nullopt);
  }
  return Values;
}

void ApplyEditorValues(const TEditorValues& Values, float (&Center)[3], float& Diameter, TZorvObject* Model) {
  for (int I = 0; I < 3; ++I) Center[I] = Values.Sphere[size_t(I)];
  Diameter = Values.Sphere[3];
  if (Model == nullptr) return;
  for (size_t I = 0; I < Values.Hardpoints.size(); ++I) {
    THardpoint* Hardpoint = Model->GetHardpoint(int32_t(I));
    if (Hardpoint && Values.Hardpoints[I]) Hardpoint->Matrix = *Values.Hardpoints[I];
  }
}

void TEditHistory::Record(const std::string& What, const TEditorValues& Before, const TEditorValues& After,
                          const std::string& MergeKey) {
  TStep Step;
  Step.What = What;
  Step.MergeKey = MergeKey;
  if (!SameBits(Before.Sphere, After.Sphere)) {
    Step.SphereBefore = Before.Sphere;
    Step.SphereAfter = After.Sphere;
  }
  const size_t Slots = std::max(Before.Hardpoints.size(), After.Hardpoints.size());
  for (size_t I = 0; I < Slots; ++I) {
    const auto B = I < Before.Hardpoints.size() ? Before.Hardpoints[I] : std::nullopt;
    const auto A = I < After.Hardpoints.size() ? After.Hardpoints[I] : std::nullopt;
    if (!SameSlot(B, A)) Step.Hardpoints.push_back({I, B, A});
  }
  if (!Step.SphereBefore && Step.Hardpoints.empty()) return;

  FSteps.resize(FDone);
  if (FMergeOpen && !MergeKey.empty() && !FSteps.empty() && FSteps.back().MergeKey == MergeKey) {
    // The merged step goes from the first step's before to this one's after.
    TStep& Last = FSteps.back();
    if (Step.SphereBefore) {
      if (!Last.SphereBefore) Last.SphereBefore = Step.SphereBefore;
      Last.SphereAfter = Step.SphereAfter;
    }
    for (const THardpointChange& Change : Step.Hardpoints) {
      auto Known = std::find_if(Last.Hardpoints.begin(), Last.Hardpoints.end(),
                                [&](const THardpointChange& C) { return C.Index == Change.Index; });
      if (Known == Last.Hardpoints.end())
        Last.Hardpoints.push_back(Change);
      else
        Known->After = Change.After;
    }
    return;
  }
  FSteps.push_back(std::move(Step));
  FDone = FSteps.size();
  FMergeOpen = true;
}

std::string TEditHistory::UndoName() const { return CanUndo() ? FSteps[FDone - 1].What : std::string(); }

std::string TEditHistory::RedoName() const { return CanRedo() ? FSteps[FDone].What : std::string(); }

void TEditHistory::Apply(const TStep& Step, bool Forward, TEditorValues& Values) {
  if (Step.SphereBefore) Values.Sphere = Forward ? *Step.SphereAfter : *Step.SphereBefore;
  FLastHardpoint = -1;
  for (const THardpointChange& Change : Step.Hardpoints) {
    if (Change.Index >= Values.Hardpoints.size()) continue;
    Values.Hardpoints[Change.Index] = Forward ? Change.After : Change.Before;
    if (FLastHardpoint < 0) FLastHardpoint = int(Change.Index);
  }
}

bool TEditHistory::Undo(TEditorValues& Values) {
  if (!CanUndo()) return false;
  --FDone;
  Apply(FSteps[FDone], false, Values);
  FMergeOpen = false;
  return true;
}

bool TEditHistory::Redo(TEditorValues& Values) {
  if (!CanRedo()) return false;
  Apply(FSteps[FDone], true, Values);
  ++FDone;
  FMergeOpen = false;
  return true;
}

void TEditHistory::Clear() {
  FSteps.clear();
  FDone = 0;
  FMergeOpen = false;
  FLastHardpoint = -1;
}
