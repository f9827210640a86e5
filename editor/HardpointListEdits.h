#pragma once
// The drawing's and the list's operations on the hardpoints as objects: add
// one where the user pointed, duplicate and delete the selected ones. Each
// change is one step of the document's history. (Rename Hardpoint... asks
// its questions: HardpointRename.h.)
#include <optional>
#include <string>
#include <vector>

#include "editor/ModelDocument.h"
#include "editor/Scene.h"
#include "editor/ViewPicking.h"

// Where Add Hardpoint puts a hardpoint for a right click at (X, Y): in the
// plane through the model's centre (its origin, about which the views are
// drawn) that faces the viewer of the view whose centre lies nearest the
// pointer. None while no view shows the model.
std::optional<TModelPoint> AddPointInView(const TSceneState& State, int Width, int Height, double X, double Y);

// A hardpoint at Point with identity axes and a fresh name, last in the
// list and selected, as the step "Add Hardpoint".
THardpointId AddHardpointAt(TModelDocument& Document, const TModelPoint& Point);
// A copy of each selected hardpoint (same matrix, DuplicateHardpointName's
// name, none taken twice) just after its original, as one step, "Duplicate
// Hardpoint" or, for several, "Duplicate Hardpoints". The copies become the
// selection, the copy of the current one current. Their identities, in list
// order; none when nothing is selected.
std::vector<THardpointId> DuplicateSelectedHardpoints(TModelDocument& Document);
// The selected hardpoints out of the list, as one step, "Delete Hardpoint"
// or, for several, "Delete Hardpoints"; false when none is selected.
bool DeleteSelectedHardpoints(TModelDocument& Document);
