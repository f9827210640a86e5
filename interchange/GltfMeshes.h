#pragma once
// The meshes of a glTF file (".glb" or ".gltf") read into the levels of a
// new model: every triangle of the scene in the hardpoints' frame, node
// transforms applied, and each level the export of this program wrote
// taken back face for face while its triangles are still the ones the
// export wrote.
#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>

#include "interchange/GltfDocument.h"
#include "interchange/MeshBuilder.h"

// The levels of an import by number, most detailed first.
using TLevelBuilders = std::map<int64_t, TMeshBuilder>;

// What the meshes were read in: the document and the node whose frame the
// meshes and hardpoints share (the last node of Document when that is the
// scene's own frame, added for it).
struct TGltfScene {
  TGltfDocument Document;
  int Root = 0;
};

// Reads every mesh under the scene's frame into Levels: into the level its
// node, a node above it or its mesh names (LevelNumberInName), the ones
// without a name into the first level; or all into OneLevel when given.
// Points and lines are left out, said on Notes. Refusals (EMeshImport, and
// EGltfHardpoints for the document itself) name the file and what in it.
TGltfScene ReadGltfMeshes(const std::string& FileName, std::optional<int64_t> OneLevel, TImportMaterials& Materials,
                          TLevelBuilders& Levels, std::ostream& Notes);

// The memory an import may still take: what the system has available, and
// what the process's address-space limit leaves. Raises EMeshImport naming
// File when Bytes is more.
void CheckImportMemory(uint64_t Bytes, const std::string& File);
