#pragma once
// The model's hardpoints brought up to date from a glTF file an artist
// edited: the model gives the names, the order and the exact numbers; the
// glTF gives what moved, what is new and what is gone.
#include <ostream>
#include <string>
#include <vector>

#include "interchange/GltfHardpoints.h"
#include "model/THardpoint.h"

// Each glTF hardpoint is matched to one of the model's by its mark (the
// one whose name still fits first, should Blender have duplicated it),
// else by name, else by a name Blender made from it (IsBlenderName).
// The result lists the model's hardpoints in the model's order, each with
// its own numbers unless its glTF node moved or turned, then the new ones
// in the glTF's order; a new one whose name another holds (a copy made in
// Blender takes its original's back) is given a fresh one by Duplicate
// Hardpoint's rule, said as "EngineLeft.001: added as EngineLeft2". Changes gets one line per hardpoint that moved,
// turned, was added, is missing or was renamed, and one per transform that
// carried a scale or shear or a number that is not finite (such a
// hardpoint keeps the model's numbers). Raises EGltfHardpoints when the
// model has hardpoints and none of them is found in the glTF. With
// DropMissing, a hardpoint missing from the glTF is left out instead of
// kept. Names reach Changes with their control bytes escaped
// (EscapeControlBytes), so no name can break a line.
std::vector<THardpoint> MatchGltfHardpoints(const std::vector<const THardpoint*>& Model,
                                            const std::vector<TGltfHardpoint>& Gltf, const std::string& GltfFile,
                                            std::ostream& Changes, bool DropMissing = false);
