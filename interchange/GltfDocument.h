#pragma once
// The node tree of a glTF file (".glb" or ".gltf"), read for the hardpoints
// and nothing else: no buffer, image or other file the document names is
// ever opened, and the JSON is checked for size and nesting before it is
// parsed, so a hostile file costs no more than its own bytes.
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "interchange/RigidTransform.h"
#include "runtime/Exception.h"

QUELBIR_EXCEPTION(EGltfHardpoints);  // "GltfHardpoints: " + what went wrong

namespace GltfLimits {
// The JSON of one file (a ".gltf", or a ".glb"'s JSON chunk). Ours is a few
// hundred bytes per node; the binary data never counts.
constexpr size_t MaxJsonBytes = size_t(16) << 20;
// Arrays and objects inside one another. Ours nest five deep.
constexpr int MaxNesting = 64;
// Nodes in one file: far more than any model's levels, hardpoints and their
// markers, and a script no user could read through.
constexpr size_t MaxNodes = 65536;
// Arrays and objects in one file, counted before parsing: room for the
// nodes and everything a 3D tool writes beside them.
constexpr size_t MaxContainers = size_t(1) << 19;
}  // namespace GltfLimits

struct TGltfNode {
  std::string Name;           // as the file has it: UTF-8
  std::vector<int> Children;  // as the file has them: not checked
  bool HasMesh = false;
  int Mesh = -1;                 // the mesh's number, as the file has it (not checked); -1 when it is none
  bool IsCameraOrLight = false;  // what a 3D tool's own scene adds
  TMatrix4 Local{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

  // What the export wrote into the node's extras.
  std::optional<double> HardpointMark;              // the hardpoint's index in the model's list
  std::optional<std::string> OriginalName;          // the hardpoint's name as the model has it, UTF-8
  bool Latin1Name = false;                          // the name was 8-bit text
  std::optional<std::array<float, 16>> KeptMatrix;  // the exact numbers of a matrix that is not rigid
  bool SphereMark = false;                          // the collision sphere
  bool HelperMark = false;                          // drawn for the eye only: the sphere's mesh, a direction marker
};

struct TGltfDocument {
  std::vector<TGltfNode> Nodes;
  std::vector<int> Top;  // the default scene's nodes, or every node no other node holds
};

// Raises EFOpenError when FileName is no regular file, EGltfHardpoints when
// it is not glTF (an OBJ file is named as such), is larger or nested deeper
// than GltfLimits allow, or its nodes are not as glTF defines them.
TGltfDocument ReadGltfDocument(const std::string& FileName);

// How deep arrays and objects lie inside one another in the JSON text, and
// how many there are (strings and their escapes skipped).
struct TJsonShape {
  int Deepest = 0;
  size_t Containers = 0;
};
TJsonShape JsonShape(const char* Text, size_t Size);
