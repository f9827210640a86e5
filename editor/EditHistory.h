#pragma once
// The window's undo and redo, without a toolkit. What the user edits are the
// file's values held in memory: the collision sphere (centre and "Diameter:"
// value) and the hardpoints' matrices. Each change is kept as one step holding
// only the values it changed, before and after, so that taking it back after
// a save's reload touches nothing the step did not change.
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

class TZorvObject;

using THardpointMatrix = std::array<float, 16>;

// The editable values at one moment. A hardpoint slot the model holds
// nothing in is empty.
struct TEditorValues {
  std::array<float, 4> Sphere{};  // centre X, Y, Z, then the "Diameter:" value
  std::vector<std::optional<THardpointMatrix>> Hardpoints;
};

// The window's fields and the model's hardpoints as values (no model: none).
TEditorValues CaptureEditorValues(const float (&Center)[3], float Diameter, const TZorvObject* Model);
// Puts Values back into the fields and into the model's hardpoints (slots the
// model does not have are left out).
void ApplyEditorValues(const TEditorValues& Values, float (&Center)[3], float& Diameter, TZorvObject* Model);

class TEditHistory {
public:
  // Records the change from Before to After as one step named What ("Fit
  // Sphere to Model", ...), unless nothing changed (values compared bit for
  // bit). A new step drops whatever could be redone. A step with a non-empty
  // MergeKey equal to the last step's joins it, so that typing one number
  // into a box is one step and not one per key.
  void Record(const std::string& What, const TEditorValues& Before, const TEditorValues& After,
              const std::string& MergeKey = {});
  bool CanUndo() const { return FDone > 0; }
  bool CanRedo() const { return FDone < FSteps.size(); }
  // The name of the step Undo or Redo would take; empty when none.
  std::string UndoName() const;
  std::string RedoName() const;
  // Takes the last step back in Values (its changed values return to what
  // they were before it); false when there is nothing to take back.
  bool Undo(TEditorValues& Values);
  // Puts the last step taken back into Values again.
  bool Redo(TEditorValues& Values);
  // Ends any merging: the next step stands on its own.
  void Seal() { FMergeOpen = false; }
  void Clear();
  // The hardpoint the step Undo or Redo took last changed, or -1.
  int LastHardpoint() const { return FLastHardpoint; }

private:
  struct THardpointChange {
    size_t Index;
    std::optional<THardpointMatrix> Before, After;
  };
  struct TStep {
    std::string What, MergeKey;
    std::optional<std::array<float, 4>> SphereBefore, SphereAfter;
    std::vector<THardpointChange> Hardpoints;
  };
  void Apply(const TStep& Step, bool Forward, TEditorValues& Values);

  std::vector<TStep> FSteps;
  size_t FDone = 0;  // steps [0, FDone) are in effect
  bool FMergeOpen = false;
  int FLastHardpoint = -1;
};
