#pragma once
// Hardpoints read back from a glTF file (".glb" or ".gltf"): one that
// `quelbir-cli export` wrote, possibly moved about and saved again by
// another 3D tool.
#include <string>
#include <vector>

#include "model/THardpoint.h"
#include "runtime/Exception.h"

QUELBIR_EXCEPTION(EGltfHardpoints);  // "GltfHardpoints: " + what went wrong

// The nodes marked as hardpoints, in the order of their marked index (file
// order among equal ones); when no node is marked, the root node's children
// that carry no mesh, in file order, except "COLL SPHR". The root is the
// scene's one top node (none when the scene has several: they then count as
// its children). Each hardpoint's matrix is the node's transform relative to
// the root, through every node between; where the node still sits where the
// export put it, the exact numbers the export kept in its extras win over
// the rigid transform written for viewers. Raises when the file is not
// glTF, no hardpoint is found or a transform is not finite.
std::vector<THardpoint> ReadGltfHardpoints(const std::string& FileName);
