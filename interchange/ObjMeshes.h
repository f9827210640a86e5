#pragma once
// The meshes of an OBJ file read into the levels of a new model: every
// polygon as it is (quads stay quads, n-gons stay n-gons), grouped into
// levels by the names of its objects or groups.
#include <optional>
#include <ostream>
#include <string>

#include "interchange/GltfMeshes.h"
#include "interchange/MeshBuilder.h"

// Reads every face of FileName into Levels: into the level its object's
// ("o") or group's ("g") name gives (LevelNumberInName), the ones without
// into the first level; or all into OneLevel when given. Materials are
// the "usemtl" names. Points and lines are left out, said on Notes.
// Refusals (EMeshImport) name the file and line.
void ReadObjMeshes(const std::string& FileName, std::optional<int64_t> OneLevel, TImportMaterials& Materials,
                   TLevelBuilders& Levels, std::ostream& Notes);
